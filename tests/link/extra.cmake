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
endif()
