# SPDX-License-Identifier: GPL-3.0-or-later
# cmake --install: one self-contained program folder, lib/rondel, with the programs beside
# setting.ini, the language files (and the desktop program's help files), the way the
# programs look for their files beside their real path; a link in bin/ for each program; their
# manual pages, gzipped as Debian wants them; bash completion; the licence and the changelog in
# share/doc/rondel; the udev rule for programming cables. The desktop entry, the file type, the
# icons and the metainfo come from resources/desktop.
set(RONDEL_DOC_DIR share/doc/rondel)
set(RONDEL_PROGRAMS rondel-cli rondel-radiosim)
if(TARGET rondel)
  list(PREPEND RONDEL_PROGRAMS rondel)
endif()

install(TARGETS ${RONDEL_PROGRAMS} RUNTIME DESTINATION ${RONDEL_INSTALL_DIR})
install(FILES ${RONDEL_RUNTIME_FILES} DESTINATION ${RONDEL_INSTALL_DIR})
# A stripped install (cpack, cmake --install --strip) drops the compiler's notes too, as
# Debian's own packages do.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program ${RONDEL_PROGRAMS})
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                              \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${RONDEL_INSTALL_DIR}/\${program}\"
                      COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()
")

# rondel_gzip(<source> <output>): <output> is <source> compressed the reproducible way
# (gzip -9n: no name, no time stamp), remade when the source changes.
set(RONDEL_GZIPPED)
function(rondel_gzip source output)
  add_custom_command(OUTPUT ${output}
    COMMAND gzip -9n -c ${source} > ${output}
    DEPENDS ${source} VERBATIM
    COMMENT "Compressing ${source}")
  set(RONDEL_GZIPPED ${RONDEL_GZIPPED} ${output} PARENT_SCOPE)
endfunction()

set(completions share/bash-completion/completions)
install(FILES ${CMAKE_SOURCE_DIR}/resources/completion/rondel.bash DESTINATION ${completions}
        RENAME rondel)
set(man_dir ${CMAKE_BINARY_DIR}/man)
file(MAKE_DIRECTORY ${man_dir})
foreach(program IN LISTS RONDEL_PROGRAMS)
  rondel_install_link(bin ${program} ../${RONDEL_INSTALL_DIR}/${program})
  rondel_gzip(${CMAKE_SOURCE_DIR}/docs/man/${program}.1 ${man_dir}/${program}.1.gz)
  install(FILES ${man_dir}/${program}.1.gz DESTINATION share/man/man1)
  # One completion file serves the three programs; bash-completion loads it by the name of
  # the program being completed.
  if(NOT program STREQUAL "rondel")
    rondel_install_link(${completions} ${program} rondel)
  endif()
endforeach()

install(FILES ${CMAKE_SOURCE_DIR}/resources/70-rondel-cable.rules DESTINATION lib/udev/rules.d)

rondel_gzip(${CMAKE_SOURCE_DIR}/packaging/debian/changelog ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_target(rondel_gzipped_docs ALL DEPENDS ${RONDEL_GZIPPED})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/debian/copyright ${CMAKE_BINARY_DIR}/changelog.gz
        DESTINATION ${RONDEL_DOC_DIR})
