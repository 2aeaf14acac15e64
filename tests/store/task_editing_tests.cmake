# Tests of the task editor's rules without its window.
quillet_add_test(store_task_editing_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/task_editing_test.cpp
  LIBS quillet_store)
