# The tool copied into a fresh prefix with modules placed as a package, a user or a build leaves
# them: `huewarp --version` must print project()'s version for the tool and for the module, and
# name the module it must find (--module, else $HUEWARP_MODULE, else lib/huewarp/ from the tool,
# else beside it, else the build's). Paths in the table are relative to the prefix.
#   cmake -DTOOL=<huewarp> -DMODULE=<built module> -DVERSION=<x.y.z> -DPREFIX=<dir> -P module_lookup.cmake
cmake_minimum_required(VERSION 3.25)
# name | modules placed | module expected (none: the build's) | $HUEWARP_MODULE | --module
set(layouts
    "Package|lib/huewarp/Huewarp.so,bin/Huewarp.so|lib/huewarp/Huewarp.so||"
    "BesideTheTool|bin/Huewarp.so|bin/Huewarp.so||"
    "BuildTree||||"
    "Environment|lib/huewarp/Huewarp.so,e.so|e.so|e.so|"
    "Option|lib/huewarp/Huewarp.so,e.so,o.so|o.so|e.so|o.so")
set(failures "")
foreach(layout IN LISTS layouts)
  string(REPLACE "|" ";" fields "${layout}")
  list(GET fields 0 name)
  list(GET fields 1 placed)
  list(GET fields 2 found)
  list(GET fields 3 env)
  list(GET fields 4 option)
  file(REMOVE_RECURSE ${PREFIX})
  file(MAKE_DIRECTORY ${PREFIX}/bin)
  file(COPY_FILE ${TOOL} ${PREFIX}/bin/huewarp)
  string(REPLACE "," ";" placed "${placed}")
  foreach(module IN LISTS placed)
    get_filename_component(dir ${PREFIX}/${module} DIRECTORY)
    file(MAKE_DIRECTORY ${dir})
    file(COPY_FILE ${MODULE} ${PREFIX}/${module})
  endforeach()
  set(environment --unset=HUEWARP_MODULE)
  if(env)
    set(environment HUEWARP_MODULE=${PREFIX}/${env})
  endif()
  set(arguments --version)
  if(option)
    set(arguments --module ${PREFIX}/${option} --version)
  endif()
  set(expected ${MODULE})
  if(found)
    set(expected ${PREFIX}/${found})
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E env ${environment} ${PREFIX}/bin/huewarp ${arguments}
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR NOT out STREQUAL "huewarp ${VERSION}\nmodule ${VERSION} ${expected}\n")
    string(APPEND failures "\n${name}: expected module ${expected}, got (${status}):\n${out}${err}")
  endif()
endforeach()
file(REMOVE_RECURSE ${PREFIX})
if(failures)
  message(FATAL_ERROR "huewarp --version in each layout:${failures}")
endif()
