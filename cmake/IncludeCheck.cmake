# huewarp_check_includes(TARGET DIR PREFIXES...): before TARGET builds, every file of DIR must
# include project headers only from the given path prefixes (the SDK's "adobesdk/" is always
# allowed). This is how the one-way rule between folders is kept.
function(huewarp_check_includes target dir)
  set(prefixes ${ARGN} adobesdk/)
  string(REPLACE ";" "," allowed "${prefixes}")
  string(MAKE_C_IDENTIFIER "${dir}" name)
  set(stamp ${CMAKE_BINARY_DIR}/include_checks/${name}.stamp)
  file(GLOB files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.h ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DDIR=${PROJECT_SOURCE_DIR}/${dir} -DALLOWED=${allowed}
            -DSTAMP=${stamp} -P ${PROJECT_SOURCE_DIR}/cmake/include_check.cmake
    DEPENDS ${files} ${PROJECT_SOURCE_DIR}/cmake/include_check.cmake
    COMMENT "Checking the includes of ${dir}/"
    VERBATIM)
  add_custom_target(${name}_includes DEPENDS ${stamp})
  add_dependencies(${target} ${name}_includes)
endfunction()
