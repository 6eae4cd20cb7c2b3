# Two layouts, chosen when configuring:
# - A prefix of /usr or /usr/local given with -DCMAKE_INSTALL_PREFIX (as the Debian
#   package does): the system's folders. bin/helvanta and bin/helvanta-sim,
#   libexec/helvanta/helvanta-window (window builds), share/helvanta with Template.csv and
#   an example Helvanta.ini, the box's settings in <sysconfdir>/helvanta/Helvanta.ini (an
#   edited one is kept), README.md in share/doc/helvanta, the manual pages, the desktop
#   file and the icon. The program knows it is installed by its executable's folder being
#   the configured bin or libexec/helvanta (src/config/file_locations.hpp), so it must be
#   installed to the prefix it was configured with.
# - Any other prefix, given when configuring or as cmake --install --prefix (such as
#   /opt/helvanta): the program's own folder, as in the build tree. helvanta,
#   helvanta-window, helvanta-sim, Template.csv, an example Helvanta.ini (an edited one is
#   kept), README.md and an empty Data for the logs; the desktop file and the icon go to
#   <prefix>/share.
if(NOT CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT AND CMAKE_INSTALL_PREFIX MATCHES "^/usr(/local)?/*$")
  set(system_layout ON)
else()
  set(system_layout OFF)
endif()

if(system_layout)
  install(CODE "
    if(NOT CMAKE_INSTALL_PREFIX STREQUAL \"${CMAKE_INSTALL_PREFIX}\")
      message(FATAL_ERROR \"This build finds its files under ${CMAKE_INSTALL_PREFIX}; configure it \"
                          \"with -DCMAKE_INSTALL_PREFIX=\${CMAKE_INSTALL_PREFIX} to install there.\")
    endif()")
  set(program_destination ${CMAKE_INSTALL_BINDIR})
  set(window_destination ${CMAKE_INSTALL_LIBEXECDIR}/helvanta)
  set(share_destination ${CMAKE_INSTALL_DATADIR}/helvanta)
  set(settings_destination ${CMAKE_INSTALL_FULL_SYSCONFDIR}/helvanta)
  set(readme_destination ${CMAKE_INSTALL_DATADIR}/doc/helvanta)
  set(desktop_executable "\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/helvanta")
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/Helvanta.ini DESTINATION ${share_destination})
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/helvanta.1 ${PROJECT_SOURCE_DIR}/packaging/helvanta-sim.1
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  # The prefix is the program's own folder, so a shared one is refused: it would scatter
  # the program's files, and a Data folder, among the system's.
  install(CODE [[
    if(CMAKE_INSTALL_PREFIX MATCHES "^/((usr(/local)?)|opt)?/*$")
      message(FATAL_ERROR "Helvanta keeps its files together in a folder of its own; install with "
                          "--prefix /opt/helvanta, or configure with -DCMAKE_INSTALL_PREFIX=/usr for "
                          "the system's folders, not ${CMAKE_INSTALL_PREFIX}.")
    endif()
  ]])
  set(program_destination .)
  set(window_destination .)
  set(share_destination .)
  set(settings_destination "\${CMAKE_INSTALL_PREFIX}")
  set(readme_destination .)
  set(desktop_executable "\${CMAKE_INSTALL_PREFIX}/helvanta")
  install(CODE "file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/Data\")")
endif()

install(TARGETS helvanta helvanta-sim RUNTIME DESTINATION ${program_destination})
# helvanta starts it for window mode.
if(TARGET helvanta-window)
  install(TARGETS helvanta-window RUNTIME DESTINATION ${window_destination})
endif()
install(FILES ${PROJECT_SOURCE_DIR}/packaging/Template.csv DESTINATION ${share_destination})
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${readme_destination})
install(CODE "
  if(NOT EXISTS \"\$ENV{DESTDIR}${settings_destination}/Helvanta.ini\")
    file(INSTALL \"${PROJECT_SOURCE_DIR}/packaging/Helvanta.ini\" DESTINATION \"${settings_destination}\")
  endif()")
# The desktop file names the installed executable, known only at install time.
install(CODE "
  file(READ \"${PROJECT_SOURCE_DIR}/packaging/helvanta.desktop.in\" desktop)
  string(REPLACE \"%\" \"%%\" executable \"${desktop_executable}\")
  string(REPLACE \"@HELVANTA_EXECUTABLE@\" \"\${executable}\" desktop \"\${desktop}\")
  set(desktop_file \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/applications/helvanta.desktop\")
  message(STATUS \"Installing: \${desktop_file}\")
  file(WRITE \"\${desktop_file}\" \"\${desktop}\")
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${desktop_file}\")")
install(FILES ${PROJECT_SOURCE_DIR}/packaging/helvanta.svg DESTINATION share/icons/hicolor/scalable/apps)
