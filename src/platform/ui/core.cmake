# Sources of the windowing core.
target_sources(quillet_platform_ui PRIVATE
  application.cpp
  application.h
  dialog_keys.cpp
  dialog_keys.h
  forms.cpp
  forms.h)
