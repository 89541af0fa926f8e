# Cross build for 64-bit Windows with MinGW-w64 (Debian: g++-mingw-w64-x86-64).
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# Programs are linked statically, so they run on Windows (or under Wine) without the MinGW
# runtime DLLs. Tests run under Wine when it is found; pass -DCMAKE_CROSSCOMPILING_EMULATOR=...
# to use another loader.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUILLFOLD_MINGW_TRIPLET x86_64-w64-mingw32)

# The posix thread model gives the full <thread> and <mutex> with GCC before 13; fall back to the
# default compiler where that variant is not installed.
find_program(QUILLFOLD_MINGW_CXX NAMES ${QUILLFOLD_MINGW_TRIPLET}-g++-posix ${QUILLFOLD_MINGW_TRIPLET}-g++)
find_program(QUILLFOLD_MINGW_CC NAMES ${QUILLFOLD_MINGW_TRIPLET}-gcc-posix ${QUILLFOLD_MINGW_TRIPLET}-gcc)
if(NOT QUILLFOLD_MINGW_CXX OR NOT QUILLFOLD_MINGW_CC)
  message(FATAL_ERROR "${QUILLFOLD_MINGW_TRIPLET}-g++ not found (Debian package g++-mingw-w64-x86-64)")
endif()
set(CMAKE_CXX_COMPILER ${QUILLFOLD_MINGW_CXX})
set(CMAKE_C_COMPILER ${QUILLFOLD_MINGW_CC})
set(CMAKE_RC_COMPILER ${QUILLFOLD_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUILLFOLD_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Debian's wine64 package installs only the loader, outside PATH.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(QUILLFOLD_WINE NAMES wine64 wine PATHS /usr/lib/wine)
  if(QUILLFOLD_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${QUILLFOLD_WINE} CACHE FILEPATH
        "Runs the Windows test binary on this machine")
  endif()
endif()
