# Tests of the quick-entry menus, the sort menus and the filter dialog on real task files.
quillet_add_test(quillet_ui_task_menus_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/task_menus_test.cpp
  LIBS quillet_ui_main quillet_ui_test_support Qt6::Test)
target_include_directories(quillet_ui_task_menus_test PRIVATE
  ${PROJECT_SOURCE_DIR}/tests/store)
