# Cross-builds the 64-bit Windows module and its tests with Debian's mingw-w64, and runs the
# tests under wine. The posix thread model gives std::thread and std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_prefix x86_64-w64-mingw32)
find_program(mingw_cxx NAMES ${mingw_prefix}-g++-posix ${mingw_prefix}-g++ REQUIRED)
find_program(mingw_cc NAMES ${mingw_prefix}-gcc-posix ${mingw_prefix}-gcc REQUIRED)
set(CMAKE_C_COMPILER ${mingw_cc})
set(CMAKE_CXX_COMPILER ${mingw_cxx})
find_program(CMAKE_RC_COMPILER NAMES ${mingw_prefix}-windres REQUIRED)
find_program(CMAKE_OBJDUMP NAMES ${mingw_prefix}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test executables carry their runtime too, so wine needs nothing but its own system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Debian's wine64 package installs the wine launcher, which picks the 64-bit loader.
find_program(HUEWARP_WINE NAMES wine64 wine)
if(HUEWARP_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${HUEWARP_WINE})
endif()
