# Tests of the engine's cdx part: compound index files, and the index calls of the engine.
quillet_add_test(xbase_cdx_tests
  SOURCES cdx_test.cpp cdx_corrupt_test.cpp cdx_interop_test.cpp cdx_sx_test.cpp
  LIBS quillet_xbase)
