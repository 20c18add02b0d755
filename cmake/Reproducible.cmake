# Builds that give the same bytes wherever and whenever they run.
#
# The shipped files must not carry the folders they were built in, nor the
# time of the build.  The DLLs already link without a PE time stamp; every
# other Windows program does too (a time stamp says nothing a user needs,
# and plughost.exe ships).  With REPRODUCIBLE_PATHS the compilers also
# write source and build paths relative to their folders (assertion texts,
# __FILE__, debug information); it is off by default because debuggers and
# sanitizer reports of the everyday builds are easier to follow with full
# paths.
option(REPRODUCIBLE_PATHS "Write source and build paths relative to their folders" OFF)

if(WIN32)
  add_link_options(-Wl,--no-insert-timestamp)
endif()

if(REPRODUCIBLE_PATHS)
  # GCC tries the maps last-given first, so files generated in a build
  # folder inside the source tree lose the build folder, not just the
  # source folder.
  add_compile_options(
    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>"
    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}/=>")
endif()

# The time the packages' entries carry: SOURCE_DATE_EPOCH when the caller
# sets it (the usual convention), else the time of the last commit.
set(PROJECT_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
if(PROJECT_SOURCE_DATE_EPOCH STREQUAL "")
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
      OUTPUT_VARIABLE PROJECT_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
      ERROR_QUIET)
  endif()
endif()
