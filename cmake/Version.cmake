# The version of project() for everything that shows one: writes
# generated/resources/plugin_version.h (numbers, text and the host's packed word) into the
# build tree. The host packs minor and bug fix in 4 bits each and the build in 9, so a version
# that does not fit fails here rather than wrapping silently.
if(NOT PROJECT_VERSION MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+$")
  message(FATAL_ERROR "project() needs a version major.minor.bugfix, not '${PROJECT_VERSION}'")
endif()
if(PROJECT_VERSION_MAJOR GREATER 127 OR PROJECT_VERSION_MINOR GREATER 15
   OR PROJECT_VERSION_PATCH GREATER 15 OR HUEWARP_BUILD_NUMBER GREATER 511)
  message(FATAL_ERROR "${PROJECT_VERSION} build ${HUEWARP_BUILD_NUMBER} does not fit the host's "
                      "version word (major 127, minor and bug fix 15, build 511 at most)")
endif()
math(EXPR huewarp_packed_version
     "((${PROJECT_VERSION_MAJOR} >> 3) << 26) | ((${PROJECT_VERSION_MAJOR} & 7) << 19) | (${PROJECT_VERSION_MINOR} << 15) | (${PROJECT_VERSION_PATCH} << 11) | ${HUEWARP_BUILD_NUMBER}"
     OUTPUT_FORMAT HEXADECIMAL)
set(HUEWARP_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
configure_file(${PROJECT_SOURCE_DIR}/resources/plugin_version.h.in
               ${HUEWARP_GENERATED_DIR}/resources/plugin_version.h @ONLY)
