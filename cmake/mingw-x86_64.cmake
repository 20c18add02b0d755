# Cross-compiling a 64-bit Windows build of the plug-ins and plughost with
# mingw-w64.  The product is the 32-bit build (mingw-i686.cmake); this one
# exists so that plughost's Windows side (its console, wide file names,
# wildcards, Ctrl-C handling) can be run under a 64-bit Wine on machines whose
# kernel runs no 32-bit programs.
set(MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
# Every Windows program the build runs goes through the 64-bit Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_COMMAND};-E;env;WINE_BITS=64;${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
