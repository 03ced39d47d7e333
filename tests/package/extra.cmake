# The Debian package: made with cpack from this build, unpacked and checked.
find_program(OSC_DPKG_DEB dpkg-deb)
if(OSC_DPKG_DEB)
  add_test(NAME package.deb_contents
    COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/deb_contents.sh ${CMAKE_BINARY_DIR} ${CMAKE_CPACK_COMMAND}
            ${CMAKE_SOURCE_DIR})
  set_tests_properties(package.deb_contents PROPERTIES LABELS package TIMEOUT 300)
endif()
