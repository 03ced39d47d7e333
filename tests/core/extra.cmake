# The installation folders the build was configured with, for the test that the program
# looks for its installed data where the installation puts them.
if(TARGET tst_programlocations)
  target_compile_definitions(tst_programlocations PRIVATE
    OSC_TEST_BINDIR="${CMAKE_INSTALL_BINDIR}" OSC_TEST_DATADIR="${CMAKE_INSTALL_DATADIR}"
    OSC_TEST_FULL_DATADIR="${CMAKE_INSTALL_FULL_DATADIR}")
endif()
