# Tests of the engine's cdx part: compound index files.
quillet_add_test(cdx_test
  SOURCES cdx_test.cpp
  LIBS quillet_xbase)
