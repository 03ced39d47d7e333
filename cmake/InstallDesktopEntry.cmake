# Run at install time (install(CODE) includes it): writes the menu entry with the absolute
# path of the installed executable, so that the entry starts the program whatever PATH
# holds, and installs it. The prefix is the one of this installation (cmake --install
# --prefix may change it after configuring); DESTDIR is left out of the path the entry
# names, as the program runs from the prefix once the files are in place.
#   OSC_DESKTOP_TEMPLATE  dist/oscilloscope.desktop.in
#   OSC_DESKTOP_BUILT     where the configured entry is written before it is installed
#   OSC_BINDIR            CMAKE_INSTALL_BINDIR
#   OSC_APPLICATIONS_DIR  CMAKE_INSTALL_DATADIR/applications

function(osc_under_prefix folder out)
  if(IS_ABSOLUTE "${folder}")
    set(${out} "${folder}" PARENT_SCOPE)
  else()
    get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
    set(${out} "${prefix}/${folder}" PARENT_SCOPE)
  endif()
endfunction()

osc_under_prefix("${OSC_BINDIR}" bindir)
set(program "${bindir}/oscilloscope")
if(program MATCHES "[\n\r\t\\\\]")
  message(FATAL_ERROR "A menu entry cannot name the program at \"${program}\"")
endif()

# The Exec field: an argument with a reserved character is quoted, and inside the quotes
# '"', '`' and '$' take a backslash, itself written "\\" since the key file's own escapes
# are undone first; '%' is written '%%' in any case.
set(exec "${program}")
if(exec MATCHES "[ \"'><~|&;$*?#()`]")
  foreach(reserved "\"" "`" "$")
    string(REPLACE "${reserved}" "\\\\${reserved}" exec "${exec}")
  endforeach()
  set(exec "\"${exec}\"")
endif()
string(REPLACE "%" "%%" OSC_DESKTOP_EXEC "${exec}")

configure_file("${OSC_DESKTOP_TEMPLATE}" "${OSC_DESKTOP_BUILT}" @ONLY)
osc_under_prefix("${OSC_APPLICATIONS_DIR}" applications)
file(INSTALL DESTINATION "${applications}" TYPE FILE FILES "${OSC_DESKTOP_BUILT}")
