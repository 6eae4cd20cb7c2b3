# An installed copy keeps the layout the program expects beside its executable:
# <prefix>/helvanta, <prefix>/Template.csv and an empty <prefix>/Data for the logs.
# Configure with -DCMAKE_INSTALL_PREFIX=/opt/helvanta.
install(TARGETS helvanta RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/Template.csv DESTINATION .)
install(CODE "file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/Data\")")
