# Tests of the choice of the folder the task files are kept in.
quillet_add_test(store_program_folder_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/program_folder_test.cpp
  LIBS quillet_store)
