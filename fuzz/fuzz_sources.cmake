# The fuzz targets and their sources, shared by the libFuzzer build (fuzz/)
# and the corpus replay of the native tests (tests/native/reliability/).
# Targets are NAME:FUNCTION; NAME is also the corpus folder under fuzz/corpus.
set(FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})
set(FUZZ_HARNESS_SOURCES ${FUZZ_DIR}/fuzz_harness.cpp)

set(FUZZ_VELMORA_SOURCES
  ${FUZZ_DIR}/velmora_stream_target.cpp
  ${FUZZ_DIR}/velmora_length_target.cpp
  ${FUZZ_DIR}/velmora_scan_target.cpp)
set(FUZZ_VELMORA_TARGETS
  velmora_stream:FuzzVelmoraStream
  velmora_length:FuzzVelmoraLength
  velmora_identify:FuzzVelmoraIdentify
  velmora_scan:FuzzVelmoraScan)

set(FUZZ_TASBRIN_SOURCES ${FUZZ_DIR}/tasbrin_targets.cpp)
set(FUZZ_TASBRIN_TARGETS
  tasbrin_stream:FuzzTasbrinStream
  tasbrin_length:FuzzTasbrinLength
  tasbrin_identify:FuzzTasbrinIdentify)
