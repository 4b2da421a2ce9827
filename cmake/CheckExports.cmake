# Fails unless MODULE exports exactly the names in EXPECTED. LISTER is the command that lists
# the exports: `nm -D --defined-only` for an ELF module, `objdump -p` for a DLL.
#   cmake -DLISTER=<cmd;args> -DMODULE=<file> -DEXPECTED=<name;name> -P CheckExports.cmake
execute_process(COMMAND ${LISTER} ${MODULE} OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${LISTER} ${MODULE} failed: ${status}")
endif()

string(REPLACE "\n" ";" lines "${listing}")
set(exports)
set(in_name_table OFF)
foreach(line IN LISTS lines)
  if(line MATCHES "^\\[Ordinal/Name Pointer\\] Table")
    set(in_name_table ON)
  elseif(in_name_table)
    # objdump: "\t[   0] EffectMain", until the table's blank line.
    if(line MATCHES "^[ \t]*\\[ *[0-9]+\\] (.+)$")
      list(APPEND exports "${CMAKE_MATCH_1}")
    else()
      set(in_name_table OFF)
    endif()
  elseif(line MATCHES "^[0-9a-fA-F]+ [A-Za-z] (.+)$")
    # nm: "0000000000001139 T EffectMain".
    list(APPEND exports "${CMAKE_MATCH_1}")
  endif()
endforeach()

list(SORT exports)
set(wanted ${EXPECTED})
list(SORT wanted)
if(NOT exports STREQUAL wanted)
  string(REPLACE ";" "\n  " shown "${exports}")
  message(FATAL_ERROR "${MODULE} exports\n  ${shown}\nexpected exactly: ${wanted}")
endif()
message(STATUS "${MODULE} exports exactly: ${exports}")
