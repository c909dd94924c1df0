# The cross-build for Windows with Debian's mingw-w64, for the processor that
# BRISKO_MINGW_ARCH names (set by the toolchain file that includes this one),
# with the posix thread model (std::thread needs it). The compiler's runtimes
# (libgcc, libstdc++, winpthread) are linked statically, so a built program
# runs on Windows, or under Wine, without any of mingw's DLLs beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${BRISKO_MINGW_ARCH})

set(CMAKE_C_COMPILER ${BRISKO_MINGW_ARCH}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRISKO_MINGW_ARCH}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${BRISKO_MINGW_ARCH}-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${BRISKO_MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Where Wine is installed, CTest runs the test programs through the loader
# that BRISKO_WINE_LOADER names (Debian keeps wine64 out of PATH, in
# /usr/lib/wine): BRISKO_WINE is its full path.
find_program(BRISKO_WINE NAMES ${BRISKO_WINE_LOADER} PATHS /usr/lib/wine)
if(BRISKO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${BRISKO_WINE})
endif()
