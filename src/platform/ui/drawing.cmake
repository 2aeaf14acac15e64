# Sources of the drawing helpers (the fonts are a library of their own, platform/fonts).
target_sources(quillet_platform_ui PRIVATE
  system_colors.cpp
  bitmaps.cpp
  painting.cpp)
