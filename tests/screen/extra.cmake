# A window with the screen view over a session and the idle animation, built on demand
# (cmake --build <dir> --target screen_harness) to look at the screen under X.
add_executable(screen_harness EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/screen_harness.cpp)
target_include_directories(screen_harness PRIVATE ${OSC_FLOOR_ROOT}/screen
                           ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/../support)
target_link_libraries(screen_harness PRIVATE osc_screen)
