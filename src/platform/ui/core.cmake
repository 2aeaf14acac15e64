# Sources of the windowing core.
target_sources(quillet_platform_ui PRIVATE
  application.cpp
  application.h
  ansi_input.cpp
  ansi_input.h
  dialog_keys.cpp
  dialog_keys.h
  forms.cpp
  forms.h
  help_viewer.cpp
  help_viewer.h
  message_box.cpp
  message_box.h
  notifications.cpp
  notifications.h
  single_instance.cpp
  single_instance.h)

# The help file travels next to the executable, where the program looks for it.
set(QUILLET_HELP_FILE ${CMAKE_CURRENT_SOURCE_DIR}/help/QUILX.HLP CACHE INTERNAL "")
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/bin/QUILX.HLP
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${QUILLET_HELP_FILE} ${CMAKE_BINARY_DIR}/bin/QUILX.HLP
  DEPENDS ${QUILLET_HELP_FILE}
  COMMENT "Copying the help file next to the executable")
add_custom_target(quillet_help_file ALL DEPENDS ${CMAKE_BINARY_DIR}/bin/QUILX.HLP)
add_dependencies(quillet_platform_ui quillet_help_file)
