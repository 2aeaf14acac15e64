# Sources of the engine's table part.
target_sources(quillet_xbase PRIVATE
  field_codec.cpp
  file_system_posix.cpp
  lock.cpp
  memo.cpp
  memory_file_system.cpp
  pack.cpp
  status.cpp
  sx.cpp
  sx_index.cpp
  table.cpp
  table_files.cpp
  work_area.cpp)
