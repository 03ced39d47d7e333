# What keeps the build of the program and its tests short on a small machine.
#
# Precompiled headers for the tests: QtTest (which brings the whole of QtCore, and the
# test helpers of QtGui and QtWidgets when a test links them) and the headers most tests
# include, compiled once for every test that reaches the same Qt modules instead of in
# each test's file. Those modules are the key because they decide what QtTest's headers
# declare (its main and helpers follow the QT_<module>_LIB definitions): tests that reach
# other modules get a header of their own. The headers only read faster what the files
# include themselves; a test still includes what it uses and links only its floor.
#
# The tests' own files carry line tables only (-g1) in the RelWithDebInfo build: a crash
# in a test still shows the test's file and line, and the libraries under test keep their
# full debug information, as in the program.
#
# Executables of the tests and benchmarks are linked with gold where the compiler offers
# it: a few times faster than the default linker on these Qt executables. The program
# itself is linked as before.
option(OSC_PRECOMPILED_HEADERS "Compile the common headers once per group of libraries or tests" ON)

set(OSC_TEST_PCH_HEADERS
    <QtTest> <QByteArray> <QList> <QObject> <QSignalSpy> <QString> <QStringList>
    <QTemporaryDir> <QTimer> <array> <functional> <memory> <optional> <vector>)
set(OSC_TEST_PCH_WIDGET_HEADERS
    <QApplication> <QGroupBox> <QImage> <QLabel> <QPainter> <QPushButton> <QToolButton>
    <QWidget>)

set(OSC_TEST_DEBUG_OPTION $<$<CONFIG:RelWithDebInfo>:-g1>)

include(CheckLinkerFlag)
check_linker_flag(CXX -fuse-ld=gold OSC_HAVE_GOLD_LINKER)

# Links an executable of the tests or benchmarks with gold when it is there.
function(osc_fast_link target)
  if(OSC_HAVE_GOLD_LINKER)
    target_link_options(${target} PRIVATE -fuse-ld=gold)
  endif()
endfunction()

# Makes `carrier` unless it exists: a library of one empty file that compiles the
# precompiled header of HEADERS, as the targets that link the QT targets and compile with
# OPTIONS see them, and nothing else.
function(osc_pch_carrier carrier)
  cmake_parse_arguments(ARG "" "" "QT;HEADERS;OPTIONS" ${ARGN})
  if(TARGET ${carrier})
    return()
  endif()
  set(source ${CMAKE_BINARY_DIR}/precompiled/${carrier}.cpp)
  file(WRITE ${source} "// Carries the precompiled header ${carrier}.\n")
  add_library(${carrier} OBJECT ${source})
  target_link_libraries(${carrier} PRIVATE ${ARG_QT})
  target_compile_options(${carrier} PRIVATE ${ARG_OPTIONS})
  set_target_properties(${carrier} PROPERTIES AUTOMOC OFF)
  target_precompile_headers(${carrier} PRIVATE ${ARG_HEADERS})
endfunction()

# Gives the test `target` of the folder `folder` the precompiled header of the tests that
# reach the same Qt modules; the first such test makes the header's carrier.
function(osc_test_pch target folder)
  if(NOT OSC_PRECOMPILED_HEADERS)
    return()
  endif()
  # Of the modules a test reaches, QtTest's headers ask only whether it reaches these
  # (the others' definitions do not change what the header holds).
  get_property(reached GLOBAL PROPERTY OSC_QT_MODULES_${folder})
  set(modules Core)
  set(qt_targets Qt6::Test Qt6::Core)
  foreach(module Gui Network Widgets)
    if(module IN_LIST reached)
      list(APPEND modules ${module})
      list(APPEND qt_targets Qt6::${module})
    endif()
  endforeach()
  string(JOIN "_" key ${modules})
  set(headers ${OSC_TEST_PCH_HEADERS})
  if("Widgets" IN_LIST modules)
    list(APPEND headers ${OSC_TEST_PCH_WIDGET_HEADERS})
  endif()
  set(carrier osc_test_pch_${key})
  osc_pch_carrier(${carrier} QT ${qt_targets} HEADERS ${headers}
                  OPTIONS ${OSC_TEST_DEBUG_OPTION})
  target_precompile_headers(${target} REUSE_FROM ${carrier})
  # The file of the test's moc output holds nothing: the test file includes its own.
  set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/mocs_compilation.cpp
                              PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
  # A header that no longer matches the test's definitions is read as text again, and
  # the build slows down: say so.
  target_compile_options(${target} PRIVATE -Winvalid-pch)
endfunction()

# The libraries of the floors share two precompiled headers of the Qt and standard
# headers their files include most: one for every floor, and one with the common widget
# headers for the folders whose every file may use widgets. A floor without widgets never
# sees a widget header this way (the floors check reads the files themselves).
set(OSC_LIBRARY_PCH_HEADERS
    <QByteArray> <QDateTime> <QDir> <QFile> <QFileInfo> <QImage> <QObject> <QPainter>
    <QString> <QStringList> <QTimer> <algorithm> <array> <cmath> <functional> <memory>
    <optional> <stdexcept> <vector>)
set(OSC_LIBRARY_PCH_WIDGET_HEADERS
    <QApplication> <QButtonGroup> <QFrame> <QGroupBox> <QLabel> <QPushButton>
    <QToolButton> <QVBoxLayout> <QWidget>)

function(osc_library_pch folder)
  if(NOT OSC_PRECOMPILED_HEADERS)
    return()
  endif()
  set(kind base)
  set(headers ${OSC_LIBRARY_PCH_HEADERS})
  set(qt_targets Qt6::Core Qt6::Gui)
  if(folder IN_LIST OSC_WIDGET_FOLDERS)
    set(kind widgets)
    list(APPEND headers ${OSC_LIBRARY_PCH_WIDGET_HEADERS})
    list(APPEND qt_targets Qt6::Widgets)
  endif()
  set(carrier osc_library_pch_${kind})
  osc_pch_carrier(${carrier} QT ${qt_targets} HEADERS ${headers})
  target_precompile_headers(osc_${folder} REUSE_FROM ${carrier})
  target_compile_options(osc_${folder} PRIVATE -Winvalid-pch)
endfunction()
