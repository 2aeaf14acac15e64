# Sources of the engine's cdx part: compound index files.
target_sources(quillet_xbase PRIVATE
  cdx_area.cpp
  cdx_build.cpp
  cdx_index.cpp
  cdx_keys.cpp
  cdx_leaf.cpp
  cdx_pager.cpp
  cdx_tree.cpp)
