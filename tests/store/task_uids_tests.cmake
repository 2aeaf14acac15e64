# Task UIDs and their companion table on real files.
quillet_add_test(store_task_uids_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/task_uids_test.cpp
  LIBS quillet_store)

# Task UIDs through the store's open, history, pack and restore, and the import step.
quillet_add_test(store_task_import_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/task_import_test.cpp
  LIBS quillet_store)
