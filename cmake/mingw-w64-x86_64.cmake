# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix threads flavour).
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TARNWICK_MINGW_PREFIX x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${TARNWICK_MINGW_PREFIX}-gcc-posix ${TARNWICK_MINGW_PREFIX}-gcc)
find_program(CMAKE_CXX_COMPILER NAMES ${TARNWICK_MINGW_PREFIX}-g++-posix ${TARNWICK_MINGW_PREFIX}-g++)
find_program(CMAKE_RC_COMPILER NAMES ${TARNWICK_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TARNWICK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs built here run under Wine on this machine.
find_program(TARNWICK_WINE NAMES wine wine64)
if(TARNWICK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TARNWICK_WINE})
endif()

# Static runtime (libgcc, libstdc++, winpthread): the executables run without extra DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# The window needs Qt for Windows, which is not part of this cross build. (The benchmark
# builds only its portable web generator here, which the tests use.)
set(TARNWICK_BUILD_SHELL OFF CACHE BOOL "" FORCE)
