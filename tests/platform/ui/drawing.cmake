# Tests of the drawing helpers.
quillet_add_test(quillet_ui_drawing_test
  SOURCES drawing_test.cpp
  LIBS quillet_ui_test_support)
