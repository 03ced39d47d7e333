# The capture's tests read the factory settings file of the sources.
if(TARGET tst_capture)
  target_compile_definitions(tst_capture PRIVATE OSC_SOURCE_DATA="${CMAKE_SOURCE_DIR}/data")
endif()

# A capture over a pseudo-terminal against the stand-in box of tools/ptybox, asleep and
# already awake. The test preloads the modem-line shim into itself and shares its line
# record with the box through a file.
if(TARGET tst_captureoverpty)
  add_dependencies(tst_captureoverpty pty_box pty_modem_shim)
  target_compile_definitions(tst_captureoverpty PRIVATE
    OSC_PTY_SHIM="$<TARGET_FILE:pty_modem_shim>" OSC_PTY_BOX="$<TARGET_FILE:pty_box>")
  target_include_directories(tst_captureoverpty PRIVATE ${CMAKE_SOURCE_DIR}/tests/link)
  target_link_libraries(tst_captureoverpty PRIVATE ${CMAKE_DL_LIBS})
endif()

# The executable links no widgets: ldd lists no QtWidgets among what it loads (and does
# list QtCore, so that the check reads a real list); the same check on the program with
# its window fails.
add_test(NAME capture.links_no_widgets
  COMMAND ${CMAKE_COMMAND} -DEXECUTABLE=$<TARGET_FILE:oscilloscope-capture>
          -P ${CMAKE_SOURCE_DIR}/cmake/CheckNoWidgets.cmake)
add_test(NAME capture.widget_check_fails_on_the_program
  COMMAND ${CMAKE_COMMAND} -DEXECUTABLE=$<TARGET_FILE:oscilloscope>
          -P ${CMAKE_SOURCE_DIR}/cmake/CheckNoWidgets.cmake)
set_tests_properties(capture.widget_check_fails_on_the_program PROPERTIES
  PASS_REGULAR_EXPRESSION "oscilloscope loads QtWidgets")
set_tests_properties(capture.links_no_widgets capture.widget_check_fails_on_the_program
  PROPERTIES LABELS capture)

# The executable itself, in processes of its own, over a pseudo-terminal with the shim
# preloaded into it, against the stand-in box; they wait on the clock of the real box.
if(TARGET tst_captureprocess)
  add_dependencies(tst_captureprocess oscilloscope-capture pty_box pty_modem_shim)
  target_compile_definitions(tst_captureprocess PRIVATE
    OSC_CAPTURE="$<TARGET_FILE:oscilloscope-capture>"
    OSC_PTY_SHIM="$<TARGET_FILE:pty_modem_shim>" OSC_PTY_BOX="$<TARGET_FILE:pty_box>")
  target_include_directories(tst_captureprocess PRIVATE ${CMAKE_SOURCE_DIR}/tests/link)
endif()
