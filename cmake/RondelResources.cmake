# SPDX-License-Identifier: GPL-3.0-or-later
# Copies the shipped configuration and language files beside the programs and turns the
# tone lists into 8-byte records compiled into the core library.

file(GLOB RONDEL_LANG_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.lang)
set(RONDEL_RUNTIME_FILES ${CMAKE_SOURCE_DIR}/resources/setting.ini ${RONDEL_LANG_FILES})

set(_copied)
foreach(src IN LISTS RONDEL_RUNTIME_FILES)
  get_filename_component(name ${src} NAME)
  add_custom_command(OUTPUT ${RONDEL_BIN_DIR}/${name}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${RONDEL_BIN_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${src} ${RONDEL_BIN_DIR}/${name}
    DEPENDS ${src}
    COMMENT "Placing ${name} beside the programs")
  list(APPEND _copied ${RONDEL_BIN_DIR}/${name})
endforeach()
add_custom_target(rondel_runtime_files ALL DEPENDS ${_copied})

# The tone lists are embedded by core/CMakeLists.txt (custom command outputs are only seen by
# targets of the folder that declares them).
