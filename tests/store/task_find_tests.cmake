# Find as you type on a real task file.
quillet_add_test(store_task_find_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/task_find_test.cpp
  LIBS quillet_store)
