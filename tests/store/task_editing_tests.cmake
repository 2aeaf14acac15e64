# Tests of the task editor's rules without its window.
quillet_add_test(store_task_editing_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/task_editing_test.cpp
  LIBS quillet_store)

# Reminders at the due time: the rule on a clock the test sets, and the scan of a task table.
quillet_add_test(store_reminder_schedule_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/reminder_schedule_test.cpp
  LIBS quillet_store)
