# SPDX-License-Identifier: MIT
# Cross build for 64-bit Windows with MinGW-w64 (the POSIX threads variant,
# which the C++ standard library's threads need). Test programs run through
# Wine when one is installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ORBELLE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ORBELLE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORBELLE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ORBELLE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ORBELLE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's run-time libraries go into each program, so that a program
# starts without DLLs copied beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(ORBELLE_WINE wine)
if(ORBELLE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ORBELLE_WINE})
endif()
