# Cross-compiling for 64-bit Windows with mingw-w64 (Debian:
# g++-mingw-w64-x86-64-posix):
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
#   cmake --build build-windows
#
# The program is linked statically, so quendrix.exe needs no MinGW DLL and
# runs on Windows as it is.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUENDRIX_MINGW_PREFIX x86_64-w64-mingw32)
# The compilers with POSIX threads, whose C++ library has std::mutex (which
# GoogleTest needs); the program itself starts no thread.
set(CMAKE_C_COMPILER ${QUENDRIX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUENDRIX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QUENDRIX_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUENDRIX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
