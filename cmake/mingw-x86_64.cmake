# Cross-compiling a 64-bit Windows build of the plug-ins and plughost with
# mingw-w64.  The product is the 32-bit build (mingw-i686.cmake); this one
# exists so that plughost's Windows side (its console, wide file names,
# wildcards, Ctrl-C handling) can be run under a 64-bit Wine on machines whose
# kernel runs no 32-bit programs.  The -posix variant matches the 32-bit one.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Every Windows program the build runs goes through the 64-bit Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_COMMAND};-E;env;WINE_BITS=64;${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
