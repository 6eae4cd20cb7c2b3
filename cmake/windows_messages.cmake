# The event log's message table, compiled into an executable: the installed service names
# the executable as its event source's message file, so Event Viewer shows the texts.
# windmc turns the .mc into a resource script and its binary table, windres the script
# into an object that is linked in (a resource in a static library would be left out).
function(helvanta_windows_messages target)
  set(source ${PROJECT_SOURCE_DIR}/packaging/windows/helvanta_messages.mc)
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/${target}_messages)
  set(script ${folder}/helvanta_messages.rc)
  set(object ${folder}/helvanta_messages.o)
  find_program(HELVANTA_WINDMC NAMES x86_64-w64-mingw32-windmc windmc REQUIRED)
  find_program(HELVANTA_WINDRES NAMES x86_64-w64-mingw32-windres windres REQUIRED)
  add_custom_command(
    OUTPUT ${script} ${folder}/MSG00409.bin ${folder}/helvanta_messages.h
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${HELVANTA_WINDMC} -h ${folder} -r ${folder} ${source}
    DEPENDS ${source}
    COMMENT "Compiling the event log's message table"
    VERBATIM)
  # The script names its table by a relative path.
  add_custom_command(
    OUTPUT ${object}
    COMMAND ${HELVANTA_WINDRES} -I ${folder} -O coff -i ${script} -o ${object}
    DEPENDS ${script} ${folder}/MSG00409.bin
    WORKING_DIRECTORY ${folder}
    VERBATIM)
  set_source_files_properties(${object} PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
  target_sources(${target} PRIVATE ${object})
endfunction()
