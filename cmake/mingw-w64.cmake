# Cross-build for 64-bit Windows with Debian's mingw-w64, the posix thread
# model (std::thread needs it). The compiler's runtimes (libgcc, libstdc++,
# winpthread) are linked statically, so a built program runs on Windows, or
# under Wine, without any of mingw's DLLs beside it. Where Wine is installed,
# CTest runs the test programs through wine64.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Debian installs the 64-bit loader outside PATH; /usr/bin/wine picks it too.
find_program(BRISKO_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(BRISKO_WINE64 NAMES wine64 wine)
if(BRISKO_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${BRISKO_WINE64})
endif()
