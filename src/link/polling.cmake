# The polling steps that the window and the service share.
file(GLOB polling_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/polling_*.cpp)
add_library(helvanta_polling STATIC ${polling_sources})
target_include_directories(helvanta_polling PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(helvanta_polling PUBLIC
  helvanta_link helvanta_config helvanta_logging helvanta_serial helvanta_runtime)
