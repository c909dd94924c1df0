# The shipped Windows program: one 32-bit (i686) program, which runs on 32-bit
# and 64-bit Windows alike. Its tests run under `wine`, Debian's wrapper, which
# starts Wine's 32-bit loader (package wine32:i386).
set(BRISKO_MINGW_ARCH i686)
set(BRISKO_WINE_LOADER wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
