# What users install. On Windows: Huewarp-<version>-win64.zip with a Huewarp folder to drop into
# the host's plug-in folder (the module, INSTALL.txt, the licences of the compiler's runtime
# libraries linked into it, SHA256SUMS). On Linux: huewarp_<version>_amd64.deb with the tool on
# the PATH and the module where the tool looks first. `cmake --build --preset P --target
# package` (or cpack in the build folder) writes them to packages/ of the build folder.
set(CPACK_PACKAGE_NAME Huewarp)
set(CPACK_PACKAGE_VENDOR Quillmere)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Colour-mapping effect (gradient map) with a gradient editor")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)

if(WIN32)
  set(folder Huewarp)
  install(TARGETS Huewarp LIBRARY DESTINATION ${folder} RUNTIME DESTINATION ${folder})
  configure_file(${PROJECT_SOURCE_DIR}/resources/INSTALL.txt.in ${PROJECT_BINARY_DIR}/INSTALL.txt
                 NEWLINE_STYLE CRLF)
  install(FILES ${PROJECT_BINARY_DIR}/INSTALL.txt DESTINATION ${folder})
  # The module links libgcc, libstdc++ and the mingw-w64 runtime statically: their licences,
  # as Debian's packages of the cross compiler ship them.
  set(licences
      /usr/share/doc/gcc-mingw-w64-base/copyright gcc-runtime-libraries.txt
      /usr/share/common-licenses/GPL-3 GPL-3.txt
      /usr/share/doc/mingw-w64-x86-64-dev/copyright mingw-w64-runtime.txt)
  while(licences)
    list(POP_FRONT licences source name)
    if(NOT EXISTS ${source})
      message(FATAL_ERROR "${source} is missing: tools/install-deps.sh installs it")
    endif()
    install(FILES ${source} DESTINATION ${folder}/licenses RENAME ${name})
  endwhile()
  # Last, once every other file is in place.
  install(CODE "set(folder \"${folder}\")")
  install(CODE [[
    set(dir "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${folder}")
    file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${dir}" "${dir}/*")
    list(REMOVE_ITEM files SHA256SUMS)
    list(SORT files)
    set(sums "")
    foreach(file IN LISTS files)
      file(SHA256 "${dir}/${file}" sum)
      string(APPEND sums "${sum}  ${file}\n")
    endforeach()
    file(WRITE "${dir}/SHA256SUMS" "${sums}")
  ]])
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME Huewarp-${PROJECT_VERSION}-win64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
elseif(TARGET huewarp)
  # The tool finds the simulated host's library and the module from its own place, wherever
  # the prefix is; both are private to it, in lib/huewarp/.
  install(TARGETS huewarp RUNTIME DESTINATION bin)
  install(TARGETS huewarp_host Huewarp LIBRARY DESTINATION lib/huewarp)
  set_target_properties(huewarp PROPERTIES INSTALL_RPATH "$ORIGIN/../lib/huewarp")
  install(FILES ${PROJECT_SOURCE_DIR}/resources/copyright.deb DESTINATION share/doc/huewarp
          RENAME copyright)
  target_compile_definitions(huewarp PRIVATE HUEWARP_INSTALLED_MODULE="../lib/huewarp/Huewarp.so")
  set(CPACK_GENERATOR DEB)
  # The build tree keeps its symbols for profiling; the package's copies are stripped. (The
  # Windows module is stripped when it is built.)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_PACKAGE_NAME huewarp)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quillmere <huewarp@quillmere.invalid>")
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "The huewarp tool loads the Huewarp effect module into a simulated effect host and renders\n\
images, image sequences and movies through it, draws its gradient editor and lists its\n\
parameters.")
  # dpkg-shlibdeps (dpkg-dev) reads the libraries the tool and the module need.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
