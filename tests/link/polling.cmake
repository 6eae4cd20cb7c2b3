helvanta_add_test(link_polling_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/polling_cycle_test.cpp
  LIBS helvanta_polling
  LABELS threaded)
