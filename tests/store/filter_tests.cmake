# Tests of the display fields and the filter expression, the latter also on a real task file.
quillet_add_test(store_task_list_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/display_fields_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/filter_expression_test.cpp
  LIBS quillet_store)

# The grid's rows on a real task file.
quillet_add_test(store_row_order_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/row_order_test.cpp
  LIBS quillet_store)
