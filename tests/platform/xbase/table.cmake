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
quillet_add_test(xbase_xbtool_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/table_xbtool_test.cpp
  LIBS quillet_xbase)
target_compile_definitions(xbase_xbtool_tests PRIVATE XBTOOL="$<TARGET_FILE:xbtool>"
  XBASE_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/data")
add_dependencies(xbase_xbtool_tests xbtool)
quillet_add_test(xbase_fault_injection_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fault_injection_test.cpp
  LIBS quillet_xbase)
