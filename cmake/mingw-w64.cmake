# Cross-build for Windows with Debian's mingw-w64: one 32-bit (i686) program,
# which runs on 32-bit and 64-bit Windows alike, built with the posix thread
# model (std::thread needs it). The compiler's runtimes (libgcc, libstdc++,
# winpthread) are linked statically, so a built program runs on Windows, or
# under Wine, without any of mingw's DLLs beside it. Where Wine is installed,
# CTest runs the test programs through `wine`, the loader that starts 32-bit
# programs (Debian: wine32:i386).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(BRISKO_WINE NAMES wine)
if(BRISKO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${BRISKO_WINE})
endif()
