# SPDX-License-Identifier: GPL-3.0-or-later
# Compiles the dialog templates of resources/dialogs into one C++ table of their texts.
# Run as: cmake -DDIR=<templates folder> -DOUT=<generated .cpp> -P embed_templates.cmake
file(GLOB files ${DIR}/*.dlg)
list(SORT files)
set(out "// Generated from resources/dialogs; edit the templates there.\n")
string(APPEND out "#include \"platform/dialogs/dialog_template.h\"\n\nnamespace rondel {\n\n")
string(APPEND out "const std::vector<EmbeddedTemplate>& EmbeddedTemplates() {\n")
string(APPEND out "  static const std::vector<EmbeddedTemplate> templates = {\n")
foreach(f IN LISTS files)
  get_filename_component(name "${f}" NAME)
  file(READ "${f}" text)
  string(APPEND out "      {\"${name}\", R\"rondel_dlg(${text})rondel_dlg\"},\n")
endforeach()
string(APPEND out "  };\n  return templates;\n}\n\n}  // namespace rondel\n")
file(WRITE "${OUT}.tmp" "${out}")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${OUT}.tmp" "${OUT}")
file(REMOVE "${OUT}.tmp")
