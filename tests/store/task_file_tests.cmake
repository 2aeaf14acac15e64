# Tests of the task file: opening, creating, upgrading and the backup table, on real files.
quillet_add_test(store_task_file_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/task_file_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/start_up_files_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/index_repair_test.cpp
  LIBS quillet_store)
# Tests of saving tasks through the store: fields and notes together keep the tags right.
quillet_add_test(store_task_save_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/task_save_test.cpp
  LIBS quillet_store)
# The kill loop: a writer killed at random moments, the task file reopened and checked.
quillet_add_test(store_kill_loop_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/kill_loop_test.cpp
  LIBS quillet_store)
# Rolling backups and their restore, with a full disk and a death at each of their writes.
quillet_add_test(store_backups_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/backups_test.cpp
  LIBS quillet_store)
