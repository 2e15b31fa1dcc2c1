# SPDX-License-Identifier: GPL-3.0-or-later
# rondel_install_link(<folder> <name> <target>): the relative symbolic link <folder>/<name>.
function(rondel_install_link folder name target)
  install(CODE "
    set(dir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${folder}\")
    file(MAKE_DIRECTORY \"\${dir}\")
    file(CREATE_LINK \"${target}\" \"\${dir}/${name}\" SYMBOLIC)
    message(STATUS \"Installing: \${dir}/${name} -> ${target}\")
  ")
endfunction()
