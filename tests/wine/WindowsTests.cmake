# The Windows edition's tests: GoogleTest from Debian's sources built with the cross compiler, the
# test programs run by CTest under Wine (wine-run.sh, in a Wine prefix of this build folder).
# Tests that play sound use a private PulseAudio server with a recorded null sink, started once
# for the run (sound-server.sh) and used by one test at a time.
set(KALVOR_WINE_STATE ${CMAKE_BINARY_DIR}/wine)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_SOURCE_DIR}/wine/wine-run.sh ${KALVOR_WINE_STATE})

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
include(GoogleTest)
# Includes are written from the top of the source tree, as in the Linux build.
include_directories(${PROJECT_SOURCE_DIR})

add_library(kalvor_test_environment OBJECT support/test_environment_win32.cpp)
link_libraries(kalvor_test_environment)

add_test(NAME wine_sound_server_start
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/sound-server.sh start ${KALVOR_WINE_STATE})
add_test(NAME wine_sound_server_stop
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/sound-server.sh stop ${KALVOR_WINE_STATE})
set_tests_properties(wine_sound_server_start PROPERTIES FIXTURES_SETUP wine_sound LABELS windows
                     SKIP_REGULAR_EXPRESSION "SKIPPED: ")
set_tests_properties(wine_sound_server_stop PROPERTIES FIXTURES_CLEANUP wine_sound LABELS windows)

# Tests that open windows run in a Wine prefix of their own (its programs all see the same X
# display), on an X server with a window manager started once for the run (x-display.sh).
set(KALVOR_WINE_GUI_STATE ${KALVOR_WINE_STATE}/gui)
add_test(NAME wine_display_start
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/x-display.sh start ${KALVOR_WINE_GUI_STATE})
add_test(NAME wine_display_stop
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/x-display.sh stop ${KALVOR_WINE_GUI_STATE})
set_tests_properties(wine_display_start PROPERTIES FIXTURES_SETUP wine_display LABELS windows
                     SKIP_REGULAR_EXPRESSION "SKIPPED: ")
set_tests_properties(wine_display_stop PROPERTIES FIXTURES_CLEANUP wine_display LABELS windows)

# Discovery runs the programs at test time (a build needs no Wine), and the properties below are
# set by a file CTest reads after the discovered lists, as gtest_discover_tests cannot pass a
# list-valued property.
function(kalvor_windows_tests target)
  cmake_parse_arguments(ARG "SOUND;GUI" "" "" ${ARGN})
  if(ARG_GUI)
    set_property(TARGET ${target} PROPERTY CROSSCOMPILING_EMULATOR
                 ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/wine-run.sh ${KALVOR_WINE_GUI_STATE})
  endif()
  gtest_discover_tests(${target} TEST_PREFIX "windows." DISCOVERY_MODE PRE_TEST
                       DISCOVERY_TIMEOUT 120)
  set(properties "LABELS windows")
  if(ARG_SOUND)
    # Without the sound server (no PulseAudio here) the tests skip themselves. They play in real
    # time through Wine, which drops samples when other Wine programs start beside them on a
    # machine of two cores, so they run alone.
    string(APPEND properties " FIXTURES_REQUIRED wine_sound RESOURCE_LOCK wine_sound_sink RUN_SERIAL TRUE"
           " SKIP_REGULAR_EXPRESSION \"[[]  SKIPPED ]\"")
  endif()
  if(ARG_GUI)
    # Without an X display the tests skip themselves. One program at a time owns the pointer and
    # the keyboard.
    string(APPEND properties " FIXTURES_REQUIRED wine_display RESOURCE_LOCK wine_display"
           " SKIP_REGULAR_EXPRESSION \"[[]  SKIPPED ]\"")
  endif()
  set(file "${CMAKE_CURRENT_BINARY_DIR}/${target}_properties.cmake")
  file(WRITE "${file}" "set_tests_properties(\${${target}_TESTS} PROPERTIES ${properties})\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${file}")
endfunction()

# The folders mirror the program's, bottom to top, as in the Linux build.
foreach(dir support audiolib platform/core platform/hotkeys platform/win32 board resources app)
  add_subdirectory(${dir})
endforeach()

# kalvor.exe and its installer used as a user does, on a private X server with a window manager
# (tests/wine/board-session.sh): the board from a fresh Wine prefix with a data.ini the Linux
# edition wrote, and the installer's silent install, start and uninstall. One at a time: they share
# the recorded sink and the display number.
if(TARGET kalvor AND TARGET kalvor_installer)
  foreach(mode board installer)
    add_test(NAME wine_session_${mode}
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/board-session.sh ${mode} ${KALVOR_WINE_STATE}
                     ${KALVOR_BIN_DIR} ${KALVOR_INSTALLER} ${KALVOR_HOST_BIN_DIR}/ini_exchange)
    set_tests_properties(wine_session_${mode} PROPERTIES
      LABELS windows TIMEOUT 300 FIXTURES_REQUIRED wine_sound
      RESOURCE_LOCK "wine_sound_sink;kalvor_x_display_63" SKIP_REGULAR_EXPRESSION "SKIPPED: ")
  endforeach()
endif()
