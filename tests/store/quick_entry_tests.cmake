# Tests of the quick-entry texts of the task list's menus.
quillet_add_test(store_quick_entry_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/quick_entry_test.cpp
  LIBS quillet_store)
