# Sources of the drawing helpers.
target_sources(quillet_platform_ui PRIVATE
  system_colors.cpp
  fonts.cpp
  bitmaps.cpp
  painting.cpp)
