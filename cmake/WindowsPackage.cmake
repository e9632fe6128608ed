# SPDX-License-Identifier: MIT
# The target windows-package: both programs in <build>/package with the Qt
# libraries, plug-ins and translations they need beside them, put there by
# Qt's windeployqt, so that the folder runs on a machine without Qt.

# Windows programs with no console window of their own.
set_target_properties(OrbelleDo OrbelleMaker PROPERTIES WIN32_EXECUTABLE ON)

set(ORBELLE_PACKAGE_DIR ${CMAKE_BINARY_DIR}/package)

if(TARGET Qt6::windeployqt)
  set(ORBELLE_WINDEPLOYQT $<TARGET_FILE:Qt6::windeployqt>)
else()
  find_program(ORBELLE_WINDEPLOYQT windeployqt HINTS ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS} REQUIRED)
endif()

add_custom_target(windows-package
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${ORBELLE_PACKAGE_DIR}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ORBELLE_PACKAGE_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:OrbelleDo> $<TARGET_FILE:OrbelleMaker> ${ORBELLE_PACKAGE_DIR}
  COMMAND ${ORBELLE_WINDEPLOYQT} --dir ${ORBELLE_PACKAGE_DIR} --no-system-d3d-compiler --no-opengl-sw
          ${ORBELLE_PACKAGE_DIR}/$<TARGET_FILE_NAME:OrbelleDo> ${ORBELLE_PACKAGE_DIR}/$<TARGET_FILE_NAME:OrbelleMaker>
  DEPENDS OrbelleDo OrbelleMaker
  COMMENT "Laying out the Windows package in ${ORBELLE_PACKAGE_DIR}"
  VERBATIM
)
