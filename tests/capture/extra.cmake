# The capture's tests read the factory settings file of the sources.
if(TARGET tst_capture)
  target_compile_definitions(tst_capture PRIVATE OSC_SOURCE_DATA="${CMAKE_SOURCE_DIR}/data")
endif()
