# Fails when a file in DIR includes a host header from a floor outside ALLOWED (comma-separated),
# so that the floors of the host keep depending one way; writes STAMP when all is well.
# Usage: cmake -DDIR=... -DALLOWED=core,instance -DSTAMP=... -P floor_check.cmake
cmake_minimum_required(VERSION 3.25)
string(REPLACE "," ";" allowed "${ALLOWED}")
file(GLOB files ${DIR}/*.h ${DIR}/*.cpp)
set(wrong "")
foreach(file IN LISTS files)
  file(STRINGS ${file} includes REGEX "^#include \"host/")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^#include \"host/([a-z_]+)/.*" "\\1" floor "${line}")
    if(NOT floor IN_LIST allowed)
      string(APPEND wrong "\n  ${file}: ${line}")
    endif()
  endforeach()
endforeach()
if(wrong)
  message(FATAL_ERROR "host floors include only themselves and the floors below (${ALLOWED}):"
                      "${wrong}")
endif()
file(TOUCH ${STAMP})
