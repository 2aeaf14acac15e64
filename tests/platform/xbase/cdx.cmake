# Tests of the engine's cdx part: compound index files.
quillet_add_test(cdx_test
  SOURCES cdx_test.cpp cdx_corrupt_test.cpp cdx_interop_test.cpp
  LIBS quillet_xbase)
