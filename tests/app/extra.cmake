# Tests of the app folder that run the built program itself: the single-instance
# hand-over between real processes, and an installed copy run by a user who cannot write
# to its prefix.

if(TARGET tst_singleinstance)
  add_dependencies(tst_singleinstance oscilloscope)
  target_compile_definitions(tst_singleinstance PRIVATE
    OSC_EXECUTABLE="$<TARGET_FILE:oscilloscope>"
    OSC_SOURCE_DATA="${CMAKE_SOURCE_DIR}/data")
endif()

# The sweeps browsed and the acquisition files: a file recorded by the capture itself, and
# one handed over by a later start of the program.
if(TARGET tst_browsing)
  add_dependencies(tst_browsing oscilloscope oscilloscope-capture)
  target_compile_definitions(tst_browsing PRIVATE
    OSC_EXECUTABLE="$<TARGET_FILE:oscilloscope>"
    OSC_CAPTURE="$<TARGET_FILE:oscilloscope-capture>")
endif()

add_test(NAME app.installed_copy
  COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/installed_copy.sh ${CMAKE_BINARY_DIR} ${CMAKE_COMMAND})
set_tests_properties(app.installed_copy PROPERTIES LABELS app TIMEOUT 300)

# The main window and the menu style window, built on demand
# (cmake --build <dir> --target window_harness) to look at them under X.
add_executable(window_harness EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/window_harness.cpp)
target_include_directories(window_harness PRIVATE ${OSC_FLOOR_ROOT}/app)
target_link_libraries(window_harness PRIVATE osc_app)

# The command-line message under libFuzzer from a fixed seed (OSC_FUZZ_SECONDS); the target
# is built with the link's fuzz targets (tools/fuzz, tests/link/extra.cmake).
include(${CMAKE_SOURCE_DIR}/tools/fuzz/Probe.cmake)
if(OSC_FUZZING)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz/corpus-commandline
       ${CMAKE_BINARY_DIR}/fuzz/artifacts)
  add_test(NAME app.fuzz_commandline
    COMMAND ${CMAKE_BINARY_DIR}/fuzz/fuzz_commandline -max_total_time=${OSC_FUZZ_SECONDS} -seed=20240601
            -print_final_stats=1 -timeout=10 -max_len=4096
            -artifact_prefix=${CMAKE_BINARY_DIR}/fuzz/artifacts/commandline-
            ${CMAKE_BINARY_DIR}/fuzz/corpus-commandline
            ${CMAKE_SOURCE_DIR}/tools/fuzz/seeds-commandline)
  set_tests_properties(app.fuzz_commandline PROPERTIES
    FIXTURES_REQUIRED link_fuzz_target LABELS app TIMEOUT 300
    ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
endif()

# The window taken through a fixed series of states on a fixed sweep, its pictures written
# as PNG files, built on demand (cmake --build <dir> --target screens_harness): for
# comparing the pictures before and after a change that must leave them alone
# (scripts/compare-screens).
add_executable(screens_harness EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/screens_harness.cpp)
target_include_directories(screens_harness PRIVATE ${OSC_FLOOR_ROOT}/app
                           ${CMAKE_CURRENT_SOURCE_DIR}/support)
target_link_libraries(screens_harness PRIVATE osc_app Qt6::Test)
