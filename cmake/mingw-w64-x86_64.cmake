# The same sources built as a 64-bit (x86_64) Windows program, for the tests on
# a machine whose kernel runs no 32-bit programs: there Wine's 32-bit loader
# cannot start, and Debian's `wine` wrapper starts it whenever wine32 is
# installed, so the tests call the 64-bit loader itself (package wine64).
set(BRISKO_MINGW_ARCH x86_64)
set(BRISKO_WINE_LOADER wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
