# Tests of the adaptor, the record sets and the engine component, on real files.
quillet_add_test(store_record_set_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/engine_adaptor_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/record_set_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/engine_component_test.cpp
  LIBS quillet_store)
