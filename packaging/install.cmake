# An installed copy keeps the layout the program expects beside its executable:
# <prefix>/helvanta, <prefix>/helvanta-window (window builds), helvanta-sim (from
# tools/sim), Template.csv, an example Helvanta.ini (an edited one is kept), README.md
# (the unit's Documentation=) and an empty Data for the logs; the desktop file and the
# icon go to <prefix>/share, where packaging/build-deb.sh takes them from.
# Install with --prefix /opt/helvanta (or configure -DCMAKE_INSTALL_PREFIX=/opt/helvanta).
# The prefix is the program's own folder, so a shared one is refused: it would scatter
# the program's files, and a Data folder, among the system's.
install(CODE [[
  if(CMAKE_INSTALL_PREFIX MATCHES "^/((usr(/local)?)|opt)?/*$")
    message(FATAL_ERROR "Helvanta keeps its files together in a folder of its own; "
                        "install with --prefix /opt/helvanta, not ${CMAKE_INSTALL_PREFIX}.")
  endif()
]])
install(TARGETS helvanta RUNTIME DESTINATION .)
# helvanta starts it from its own folder for window mode.
if(TARGET helvanta-window)
  install(TARGETS helvanta-window RUNTIME DESTINATION .)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/packaging/Template.csv ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
install(CODE "
  if(NOT EXISTS \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/Helvanta.ini\")
    file(INSTALL \"${PROJECT_SOURCE_DIR}/packaging/Helvanta.ini\" DESTINATION \"\${CMAKE_INSTALL_PREFIX}\")
  endif()")
install(CODE "file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/Data\")")
# The desktop file names the installed executable, known only at install time.
install(CODE "
  file(READ \"${PROJECT_SOURCE_DIR}/packaging/helvanta.desktop.in\" desktop)
  string(REPLACE \"%\" \"%%\" executable \"\${CMAKE_INSTALL_PREFIX}/helvanta\")
  string(REPLACE \"@HELVANTA_EXECUTABLE@\" \"\${executable}\" desktop \"\${desktop}\")
  set(desktop_file \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/applications/helvanta.desktop\")
  message(STATUS \"Installing: \${desktop_file}\")
  file(WRITE \"\${desktop_file}\" \"\${desktop}\")
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${desktop_file}\")")
install(FILES ${PROJECT_SOURCE_DIR}/packaging/helvanta.svg DESTINATION share/icons/hicolor/scalable/apps)
