# Read by cpack before it packs (CPACK_PROJECT_CONFIG_FILE).  CMake's archive
# writer gives every entry the time SOURCE_DATE_EPOCH names (and leaves the
# gzip header without one); the ZIP's DOS times are local times, so the
# local time zone is UTC for everyone.
if("$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  if(CPACK_SOURCE_DATE_EPOCH STREQUAL "")
    message(FATAL_ERROR "cpack: no time for the package entries: set SOURCE_DATE_EPOCH or configure from a git clone")
  endif()
  set(ENV{SOURCE_DATE_EPOCH} "${CPACK_SOURCE_DATE_EPOCH}")
endif()
set(ENV{TZ} UTC)
