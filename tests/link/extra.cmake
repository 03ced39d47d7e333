# Special tests of the link: the serial port over a pseudo-terminal, with a preloaded
# shim that supplies the modem lines a pty lacks, and a bounded fuzzing run of the
# framer and the decoder.

set(LINK_TEST_DIR ${CMAKE_CURRENT_LIST_DIR})

add_library(pty_modem_shim SHARED ${LINK_TEST_DIR}/pty_modem_shim.cpp)
target_link_libraries(pty_modem_shim PRIVATE ${CMAKE_DL_LIBS})
set_target_properties(pty_modem_shim PROPERTIES CXX_VISIBILITY_PRESET hidden)

if(TARGET tst_serialpty)
  add_dependencies(tst_serialpty pty_modem_shim)
  target_compile_definitions(tst_serialpty PRIVATE
    OSC_PTY_SHIM="$<TARGET_FILE:pty_modem_shim>")
  target_link_libraries(tst_serialpty PRIVATE ${CMAKE_DL_LIBS})
  set_property(TEST link.tst_serialpty APPEND PROPERTY
    ENVIRONMENT_MODIFICATION "LD_PRELOAD=set:$<TARGET_FILE:pty_modem_shim>")
  if(OSC_SANITIZE)
    # The sanitizer's runtime is not the first library of a process that preloads the shim.
    set_property(TEST link.tst_serialpty APPEND PROPERTY
      ENVIRONMENT_MODIFICATION "ASAN_OPTIONS=string_append::verify_asan_link_order=0")
  endif()

  # Latency figures of the serial link (DSR report delay, processor time while idle, the
  # waits of one exchange to a few milliseconds). They hold on an idle machine only, so
  # they are not part of the suite: configure with -DOSC_TIMING_TESTS=ON and run
  # `ctest -L timing`.
  option(OSC_TIMING_TESTS "Register the latency figures of the serial link with ctest" OFF)
  if(OSC_TIMING_TESTS)
    add_test(NAME link.tst_serialpty_timing COMMAND tst_serialpty timingFigures)
    set_tests_properties(link.tst_serialpty_timing PROPERTIES
      ENVIRONMENT "${OSC_TEST_ENV};OSC_TIMING_TESTS=1" LABELS timing TIMEOUT 120
      RUN_SERIAL TRUE)
    set_property(TEST link.tst_serialpty_timing APPEND PROPERTY
      ENVIRONMENT_MODIFICATION "LD_PRELOAD=set:$<TARGET_FILE:pty_modem_shim>")
  endif()
endif()

# Fuzzing: the targets are built with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) by a small separate build of tools/fuzz, then each runs for
# OSC_FUZZ_SECONDS from a fixed seed; what makes one fail is kept under fuzz/artifacts in
# the build. Registered only where that clang can build a fuzz target at all.
#
# These entries are heavy: the build compiles in parallel on every core, and each run
# keeps one core busy. The build counts as two processors, so that ctest --parallel 2 runs
# it alone; the runs never run beside the tests that wait on the clock (tests/CMakeLists.txt).
include(${CMAKE_SOURCE_DIR}/tools/fuzz/Probe.cmake)
if(OSC_FUZZING)
  set(LINK_FUZZ_BUILD ${CMAKE_BINARY_DIR}/fuzz)
  add_test(NAME link.fuzz_build
    COMMAND sh -c "\"$0\" -S \"$1\" -B \"$2\" -G \"$3\" -DCMAKE_CXX_COMPILER=\"$4\" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null && \"$0\" --build \"$2\""
            ${CMAKE_COMMAND} ${CMAKE_SOURCE_DIR}/tools/fuzz ${LINK_FUZZ_BUILD} ${CMAKE_GENERATOR} ${OSC_CLANGXX})
  set_tests_properties(link.fuzz_build PROPERTIES
    FIXTURES_SETUP link_fuzz_target LABELS link TIMEOUT 600 PROCESSORS 2)
  file(MAKE_DIRECTORY ${LINK_FUZZ_BUILD}/corpus ${LINK_FUZZ_BUILD}/artifacts)
  add_test(NAME link.fuzz
    COMMAND ${LINK_FUZZ_BUILD}/fuzz_link -max_total_time=${OSC_FUZZ_SECONDS} -seed=20240601
            -print_final_stats=1 -timeout=10 -create_missing_dirs=1
            -artifact_prefix=${LINK_FUZZ_BUILD}/artifacts/link-
            ${LINK_FUZZ_BUILD}/corpus ${CMAKE_SOURCE_DIR}/tools/fuzz/seeds)
  set_tests_properties(link.fuzz PROPERTIES
    FIXTURES_REQUIRED link_fuzz_target LABELS link TIMEOUT 300
    ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
endif()
