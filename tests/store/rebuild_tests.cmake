# Tests of the rebuild work without its window: gauge arithmetic, pack, tags, and the task
# file's rebuild of a missing index, on real files.
quillet_add_test(store_rebuild_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/rebuild_test.cpp
  LIBS quillet_store)
