# SPDX-License-Identifier: MIT
# Compresses one file as Debian wants its documents and manual pages: gzip
# at its best, without the file's name or time, so that the same input
# always gives the same bytes.
#
#   cmake -DGZIP=<gzip> -DINPUT=<file> -DOUTPUT=<file.gz> -P Compress.cmake
execute_process(COMMAND ${GZIP} -9 -n -c ${INPUT} OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "gzip could not compress ${INPUT}")
endif()
