# Tests of the engine's cdx part: compound index files, and the index calls of the engine.
quillet_add_test(xbase_cdx_tests
  SOURCES cdx_test.cpp cdx_corrupt_test.cpp cdx_interop_test.cpp cdx_sx_test.cpp
  cdx_foreign_test.cpp
  LIBS quillet_xbase)
target_compile_definitions(xbase_cdx_tests PRIVATE
  XBASE_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/data")
