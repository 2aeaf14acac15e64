# Sources of the windowing core.
target_sources(quillet_platform_ui PRIVATE application.cpp)
