# Sources of the engine's table part.
target_sources(quillet_xbase PRIVATE file_system_posix.cpp)
