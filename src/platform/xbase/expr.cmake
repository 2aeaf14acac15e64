# Sources of the engine's expr part: xBase expressions, compiled once and evaluated per record.
target_sources(quillet_xbase PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/expr.cpp
  ${CMAKE_CURRENT_LIST_DIR}/expr_nodes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/expr_support.cpp)
