# Tests of the engine's table part.
quillet_add_test(xbase_table_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/table_test.cpp ${CMAKE_CURRENT_LIST_DIR}/table_codec_test.cpp
  LIBS quillet_xbase)
quillet_add_test(xbase_table_process_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/table_process_test.cpp
  LIBS quillet_xbase)
quillet_add_test(xbase_table_interop_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/table_interop_test.cpp
  LIBS quillet_xbase)
