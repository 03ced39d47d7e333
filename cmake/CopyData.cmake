# Copies data/ beside the executable. The settings file is the user's once it exists:
# the factory copy is placed only where none is present yet.
file(GLOB data_files "${SRC}/*")
foreach(f ${data_files})
  get_filename_component(name ${f} NAME)
  if(name STREQUAL "parametres.inf")
    if(NOT EXISTS "${DST}/${name}")
      file(COPY ${f} DESTINATION ${DST})
    endif()
  else()
    file(COPY ${f} DESTINATION ${DST})
  endif()
endforeach()
