# The source folders are floors: a folder builds on the folders of lower floors and never
# on its own floor's neighbours or on a higher floor. Each folder is one static library
# that links the libraries of the floors below it, and compiles against an include root
# of its own that holds links to its own folder and to the lower ones only: an include of
# a higher folder fails to compile, in the program and in that folder's tests alike.
#
include(${CMAKE_CURRENT_LIST_DIR}/FloorLevels.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/BuildSpeed.cmake)
set(OSC_FLOOR_ROOT ${CMAKE_BINARY_DIR}/floors)

# The folders a folder may use: itself and every folder of a lower floor, except the
# folders of their own executable.
function(osc_floor_uses folder out)
  set(result)
  foreach(other ${OSC_FLOOR_FOLDERS})
    if(other STREQUAL folder OR (OSC_LEVEL_${other} LESS OSC_LEVEL_${folder}
                                 AND NOT other IN_LIST OSC_LEAF_FOLDERS))
      list(APPEND result ${other})
    endif()
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# osc_floor(<folder> QT <modules...> [EXCLUDE <files...>])
# Makes osc_<folder> from src/<folder> and its include root floors/<folder>.
function(osc_floor folder)
  cmake_parse_arguments(ARG "" "" "QT;EXCLUDE" ${ARGN})
  if(NOT DEFINED OSC_LEVEL_${folder})
    message(FATAL_ERROR "${folder} is not a floor of the program")
  endif()

  osc_floor_uses(${folder} uses)
  set(root ${OSC_FLOOR_ROOT}/${folder})
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root})
  foreach(used ${uses})
    if(EXISTS ${CMAKE_SOURCE_DIR}/src/${used})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${used} ${root}/${used} SYMBOLIC)
    endif()
  endforeach()

  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${folder}/*.cpp)
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${folder}/*.h)
  foreach(excluded ${ARG_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_SOURCE_DIR}/src/${folder}/${excluded})
  endforeach()

  set(qt_targets)
  foreach(module ${ARG_QT})
    list(APPEND qt_targets Qt6::${module})
  endforeach()

  set(lower)
  set(modules ${ARG_QT})
  foreach(used ${uses})
    if(NOT used STREQUAL folder AND TARGET osc_${used})
      list(APPEND lower osc_${used})
      get_property(used_modules GLOBAL PROPERTY OSC_QT_MODULES_${used})
      list(APPEND modules ${used_modules})
    endif()
  endforeach()
  # The Qt modules the folder reaches, its own and those of the floors below: they decide
  # what Qt's headers declare in its files and in its tests.
  list(REMOVE_DUPLICATES modules)
  list(SORT modules)
  set_property(GLOBAL PROPERTY OSC_QT_MODULES_${folder} ${modules})

  if(sources)
    add_library(osc_${folder} STATIC ${sources} ${headers})
    target_include_directories(osc_${folder} PUBLIC ${root})
    target_link_libraries(osc_${folder} PUBLIC ${lower} ${qt_targets})
    osc_library_pch(${folder})
  else()
    add_library(osc_${folder} INTERFACE)
    target_include_directories(osc_${folder} INTERFACE ${root})
    target_link_libraries(osc_${folder} INTERFACE ${lower} ${qt_targets})
  endif()
endfunction()
