# Link activation of the session over a pseudo-terminal against the stand-in box of
# tools/ptybox, asleep and already awake. The test preloads the modem-line shim into
# itself and shares its line record with the box through a file.
if(TARGET tst_ptyactivation)
  add_dependencies(tst_ptyactivation pty_box pty_modem_shim)
  target_compile_definitions(tst_ptyactivation PRIVATE
    OSC_PTY_SHIM="$<TARGET_FILE:pty_modem_shim>" OSC_PTY_BOX="$<TARGET_FILE:pty_box>")
  target_include_directories(tst_ptyactivation PRIVATE ${CMAKE_SOURCE_DIR}/tests/link)
  target_link_libraries(tst_ptyactivation PRIVATE ${CMAKE_DL_LIBS})
endif()

# A link lost and found again over a pseudo-terminal, against the same stand-in box.
if(TARGET tst_ptylinkloss)
  add_dependencies(tst_ptylinkloss pty_box pty_modem_shim)
  target_compile_definitions(tst_ptylinkloss PRIVATE
    OSC_PTY_SHIM="$<TARGET_FILE:pty_modem_shim>" OSC_PTY_BOX="$<TARGET_FILE:pty_box>")
  target_include_directories(tst_ptylinkloss PRIVATE ${CMAKE_SOURCE_DIR}/tests/link)
  target_link_libraries(tst_ptylinkloss PRIVATE ${CMAKE_DL_LIBS})
  # The loss seen within a second of the box's end closing: a figure for an idle machine,
  # with the timing figures of the link (-DOSC_TIMING_TESTS=ON, `ctest -L timing`).
  if(OSC_TIMING_TESTS)
    add_test(NAME instrument.tst_ptylinkloss_timing COMMAND tst_ptylinkloss lostWhenTheBoxEndCloses)
    set_tests_properties(instrument.tst_ptylinkloss_timing PROPERTIES
      ENVIRONMENT "${OSC_TEST_ENV};OSC_TIMING_TESTS=1" LABELS timing TIMEOUT 120
      RUN_SERIAL TRUE)
  endif()
endif()
