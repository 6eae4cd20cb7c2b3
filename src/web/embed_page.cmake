# Writes a C++ source that holds the page's files as string literals, so the program
# serves its page without any file on the disk.
#   cmake -DOUTPUT=<file.cpp> -DFILES="<path>;<path>..." -P embed_page.cmake
set(delimiter "helvanta_page")
set(content "// Generated from src/web/page by embed_page.cmake; edit those files instead.\n")
string(APPEND content "#include \"web/page_files.hpp\"\n\nnamespace helvanta {\n\n")
string(APPEND content "const std::vector<TPageFile>& PageFiles() {\n  static const std::vector<TPageFile> files{\n")
foreach(file IN LISTS FILES)
  get_filename_component(name ${file} NAME)
  file(READ ${file} text)
  string(FIND "${text}" ")${delimiter}\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${file} holds the literal's delimiter")
  endif()
  string(APPEND content "      {\"/${name}\", R\"${delimiter}(${text})${delimiter}\"},\n")
endforeach()
string(APPEND content "  };\n  return files;\n}\n\n}  // namespace helvanta\n")
file(WRITE ${OUTPUT} "${content}")
