cmake_minimum_required(VERSION 3.25)
# Checks that an executable loads no QtWidgets, from the libraries ldd lists for it:
#   cmake -DEXECUTABLE=<file> -P CheckNoWidgets.cmake
get_filename_component(name "${EXECUTABLE}" NAME)
execute_process(COMMAND ldd "${EXECUTABLE}" OUTPUT_VARIABLE libraries ERROR_VARIABLE error
                RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT libraries MATCHES "libQt6Core")
  message(FATAL_ERROR "ldd cannot list what ${name} loads: ${error}")
endif()
if(libraries MATCHES "libQt6Widgets")
  message(FATAL_ERROR "${name} loads QtWidgets")
endif()
message(STATUS "${name} loads no QtWidgets")
