# Tests of the app folder that run the built program itself: the single-instance
# hand-over between real processes, and an installed copy run by a user who cannot write
# to its prefix.

if(TARGET tst_singleinstance)
  add_dependencies(tst_singleinstance oscilloscope)
  target_compile_definitions(tst_singleinstance PRIVATE
    OSC_EXECUTABLE="$<TARGET_FILE:oscilloscope>"
    OSC_SOURCE_DATA="${CMAKE_SOURCE_DIR}/data")
endif()

add_test(NAME app.installed_copy
  COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/installed_copy.sh ${CMAKE_BINARY_DIR} ${CMAKE_COMMAND})
set_tests_properties(app.installed_copy PROPERTIES LABELS app TIMEOUT 300)

# The main window and the menu style window, built on demand
# (cmake --build <dir> --target window_harness) to look at them under X.
add_executable(window_harness EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/window_harness.cpp)
target_include_directories(window_harness PRIVATE ${OSC_FLOOR_ROOT}/app)
target_link_libraries(window_harness PRIVATE osc_app)
