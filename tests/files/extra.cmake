# The acquisition file's test runs the Python reader printed in its documentation.
if(TARGET tst_acquisitionfile)
  target_compile_definitions(tst_acquisitionfile PRIVATE
    OSC_ACQUISITION_DOC="${CMAKE_SOURCE_DIR}/docs/ACQUISITION-FILE.md")
endif()

# The acquisition file's reader under libFuzzer from a fixed seed (OSC_FUZZ_SECONDS); the
# target is built with the link's fuzz targets (tools/fuzz, tests/link/extra.cmake).
include(${CMAKE_SOURCE_DIR}/tools/fuzz/Probe.cmake)
if(OSC_FUZZING)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz/corpus-acquisition
       ${CMAKE_BINARY_DIR}/fuzz/artifacts)
  add_test(NAME files.fuzz_acquisition
    COMMAND ${CMAKE_BINARY_DIR}/fuzz/fuzz_acquisition -max_total_time=${OSC_FUZZ_SECONDS} -seed=20240601
            -print_final_stats=1 -timeout=10 -max_len=4096
            -artifact_prefix=${CMAKE_BINARY_DIR}/fuzz/artifacts/acquisition-
            ${CMAKE_BINARY_DIR}/fuzz/corpus-acquisition
            ${CMAKE_SOURCE_DIR}/tools/fuzz/seeds-acquisition)
  set_tests_properties(files.fuzz_acquisition PROPERTIES
    FIXTURES_REQUIRED link_fuzz_target LABELS files TIMEOUT 300
    ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
endif()
