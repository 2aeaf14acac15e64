# Tests of the engine's expr part.
quillet_add_test(xbase_expr_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/expr_test.cpp
  LIBS quillet_xbase)
