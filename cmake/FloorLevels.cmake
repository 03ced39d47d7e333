# The floors of the source folders, low to high; folders on one line share a floor. Read
# by the build (Floors.cmake) and by the check of the includes (CheckFloors.cmake).
set(OSC_FLOOR_LEVELS
    core=0
    link=1 analysis=1 files=1
    instrument=2
    screen=3 capture=3
    measure=4 spectrum=4
    output=5
    panel=6 dialogs=6
    app=7)

# Folders of an executable of their own (the command-line capture): on the floor of what
# they may use, and used by no other folder, whatever its floor.
set(OSC_LEAF_FOLDERS capture)

# Folders whose every file may use widgets; in screen, spectrum and output only the view
# files do (names ending in View, Window or Dialog); the other folders never.
set(OSC_WIDGET_FOLDERS panel dialogs app)
set(OSC_VIEW_FOLDERS screen spectrum output)

set(OSC_FLOOR_FOLDERS)
foreach(entry ${OSC_FLOOR_LEVELS})
  string(REPLACE "=" ";" pair ${entry})
  list(GET pair 0 folder)
  list(GET pair 1 level)
  set(OSC_LEVEL_${folder} ${level})
  list(APPEND OSC_FLOOR_FOLDERS ${folder})
endforeach()
