# SPDX-License-Identifier: GPL-3.0-or-later
# cmake --install into a fresh prefix gives a self-contained program folder lib/rondel with
# the programs, setting.ini and the language files side by side; a link in bin/ for each
# program that runs it from there; the manual pages, bash completion, the udev rule, the
# copyright and the changelog; with the desktop program also its help pages for a browser,
# the desktop entry, the file type of the data files, the icons and the AppStream metainfo,
# all as the freedesktop tools want them.
#   cmake -DBUILD=<build tree> -DWORK=<scratch folder> -DSOURCE=<source tree> -DVERSION=<version>
#         -DPROGRAMS=<a;b> -DGUI=<ON|OFF> -DAPP_ID=<id> -DDESKTOP_FILE_VALIDATE=<path>
#         -DAPPSTREAMCLI=<path> -DUPDATE_MIME_DATABASE=<path> -DUPDATE_DESKTOP_DATABASE=<path>
#         -P install_check.cmake
cmake_minimum_required(VERSION 3.25)
function(fail)
  string(JOIN "" text ${ARGN})
  message(FATAL_ERROR "${text}")
endfunction()
function(expect_file path)
  if(NOT EXISTS "${prefix}/${path}" OR IS_DIRECTORY "${prefix}/${path}")
    fail("${path} was not installed")
  endif()
endfunction()
function(expect_link path target)
  if(NOT IS_SYMLINK "${prefix}/${path}")
    fail("${path} is not a link")
  endif()
  file(READ_SYMLINK "${prefix}/${path}" got)
  if(NOT got STREQUAL target)
    fail("${path} points at ${got}, not ${target}")
  endif()
  expect_file(${path})
endfunction()
# run(<output variable> <command...>): runs the command without a display, fails unless it
# exits with 0, and gives its standard output and error together.
function(run var)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
                          --unset=QT_QPA_PLATFORM LC_ALL=C.UTF-8 "HOME=${WORK}/home" ${ARGN}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out TIMEOUT 60)
  if(NOT rc EQUAL 0)
    string(JOIN " " line ${ARGN})
    fail("${line} ended with ${rc}:\n${out}")
  endif()
  set(${var} "${out}" PARENT_SCOPE)
endfunction()
function(need tool)
  if("${${tool}}" STREQUAL "" OR "${${tool}}" MATCHES "NOTFOUND$" OR NOT EXISTS "${${tool}}")
    fail("${tool} is not installed; scripts/setup.sh installs it")
  endif()
endfunction()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/home")
set(prefix "${WORK}/prefix")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD}" --prefix "${prefix}"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  fail("cmake --install failed: ${rc}")
endif()

# The programs, each with its link, its version, its manual page and its completion.
foreach(f setting.ini english.lang chinese.lang)
  expect_file(lib/rondel/${f})
endforeach()
expect_file(share/bash-completion/completions/rondel)
foreach(program ${PROGRAMS})
  expect_file(lib/rondel/${program})
  expect_link(bin/${program} ../lib/rondel/${program})
  # Started through the link, from another folder.
  run(out "${prefix}/bin/${program}" --version)
  if(NOT out STREQUAL "${program} ${VERSION}\n")
    fail("${program} --version from the prefix printed: ${out}")
  endif()
  set(page share/man/man1/${program}.1.gz)
  expect_file(${page})
  run(text gzip -dc "${prefix}/${page}")
  file(READ "${SOURCE}/docs/man/${program}.1" shipped)
  if(NOT text STREQUAL shipped)
    fail("${page} is not docs/man/${program}.1")
  endif()
  if(NOT program STREQUAL "rondel")
    expect_link(share/bash-completion/completions/${program} rondel)
  endif()
  # The completion file registers a completion for the program.
  run(registered bash -c "source '${prefix}/share/bash-completion/completions/${program}' && complete -p ${program}")
  if(NOT registered MATCHES "complete -F _rondel[a-z_]* ${program}\n")
    fail("the completion of ${program} registers: ${registered}")
  endif()
endforeach()

# The udev rule gives the desktop user the cables and keeps ModemManager off them.
set(rule lib/udev/rules.d/70-rondel-cable.rules)
expect_file(${rule})
file(READ "${prefix}/${rule}" text)
foreach(needed "TAG\\+=\"uaccess\"" "ENV{ID_MM_DEVICE_IGNORE}=\"1\"" "ATTRS{idVendor}==\"1a86\"")
  if(NOT text MATCHES "${needed}")
    fail("${rule} lacks ${needed}")
  endif()
endforeach()

# The copyright in Debian's machine-readable form, the changelog in Debian's form, whose newest
# entry is this version.
expect_file(share/doc/rondel/copyright)
file(STRINGS "${prefix}/share/doc/rondel/copyright" first LIMIT_COUNT 1)
if(NOT first STREQUAL "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/")
  fail("share/doc/rondel/copyright begins with ${first}")
endif()
run(changelog gzip -dc "${prefix}/share/doc/rondel/changelog.gz")
if(NOT changelog MATCHES "^rondel \\(${VERSION}\\) [a-z]+; urgency=[a-z]+\n")
  fail("the newest entry of share/doc/rondel/changelog.gz is not ${VERSION}")
endif()

if(NOT GUI)
  file(REMOVE_RECURSE "${WORK}")
  return()
endif()

# The help pages as plain HTML, a folder per language, registered with doc-base: the start page
# in its language, and every page's relative links, pictures and style sheet found beside it.
set(html "${prefix}/share/doc/rondel/html")
foreach(case "en;Rondel Help" "zh;Rondel 帮助")
  list(GET case 0 lang)
  list(GET case 1 title)
  file(GLOB pages "${html}/${lang}/*.html")
  list(LENGTH pages count)
  if(count LESS 12)
    fail("share/doc/rondel/html/${lang} holds ${count} pages")
  endif()
  file(READ "${html}/${lang}/index.html" start)
  if(NOT start MATCHES "<title>${title}</title>")
    fail("share/doc/rondel/html/${lang}/index.html is not the start page of its language")
  endif()
  expect_file(share/doc-base/rondel-help-${lang})
  file(READ "${prefix}/share/doc-base/rondel-help-${lang}" registration)
  if(NOT registration MATCHES "\nIndex: ${html}/${lang}/index.html\n")
    fail("share/doc-base/rondel-help-${lang} does not name the installed start page")
  endif()
  set(checked 0)
  foreach(page ${pages})
    file(READ "${page}" text)
    string(REGEX MATCHALL "(href|src)=\"[^\"]*\"" links "${text}")
    foreach(link ${links})
      string(REGEX REPLACE "^(href|src)=\"([^\"#?]*).*$" "\\2" linked "${link}")
      if(linked STREQUAL "" OR linked MATCHES "^[a-z]+:")
        continue()  # a link into the page itself, or to the web
      endif()
      get_filename_component(dir "${page}" DIRECTORY)
      if(NOT EXISTS "${dir}/${linked}")
        fail("${page} links ${linked}, which was not installed beside it")
      endif()
      math(EXPR checked "${checked} + 1")
    endforeach()
  endforeach()
  if(checked LESS 50)  # every page has its style sheet and links to others
    fail("only ${checked} links found in the pages of share/doc/rondel/html/${lang}")
  endif()
endforeach()

# The desktop entry, clean for desktop-file-validate; what it runs and its icon are installed.
need(DESKTOP_FILE_VALIDATE)
set(entry share/applications/${APP_ID}.desktop)
expect_file(${entry})
run(out "${DESKTOP_FILE_VALIDATE}" "${prefix}/${entry}")
if(NOT out STREQUAL "")
  fail("desktop-file-validate ${entry}:\n${out}")
endif()
file(STRINGS "${prefix}/${entry}" lines)
set(keys)
foreach(line ${lines})
  if(line MATCHES "^(TryExec|Exec|Icon|MimeType)=([^ ;]*)")
    set(${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
    list(APPEND keys ${CMAKE_MATCH_1})
  endif()
endforeach()
if(NOT keys STREQUAL "TryExec;Exec;Icon;MimeType")
  fail("${entry} has the keys ${keys}")
endif()
foreach(program "${TryExec}" "${Exec}")
  if(NOT program IN_LIST PROGRAMS)
    fail("${entry} runs ${program}, none of the installed programs")
  endif()
  expect_link(bin/${program} ../lib/rondel/${program})
endforeach()
foreach(size 16 22 24 32 48 64 128 256)
  expect_file(share/icons/hicolor/${size}x${size}/apps/${Icon}.png)
endforeach()
expect_file(share/icons/hicolor/scalable/apps/${Icon}.svg)

# The file type: *.dig files and files that begin with the header are the data files, and the
# renamed desktop entry is the program for them.
need(UPDATE_MIME_DATABASE)
need(UPDATE_DESKTOP_DATABASE)
expect_file(share/mime/packages/rondel-dig.xml)
run(out "${UPDATE_MIME_DATABASE}" "${prefix}/share/mime")
file(READ "${prefix}/share/mime/globs2" globs)
if(NOT globs MATCHES "\n[0-9]+:${MimeType}:\\*\\.dig\n")
  fail("update-mime-database gives no *.dig glob for ${MimeType}:\n${globs}")
endif()
file(STRINGS "${prefix}/share/mime/magic" magic)  # binary: the printable runs
if(NOT "[50:${MimeType}]" IN_LIST magic OR NOT "Pelto Radio Program data" IN_LIST magic)
  fail("update-mime-database gives no header match for ${MimeType}")
endif()
run(out "${UPDATE_DESKTOP_DATABASE}" "${prefix}/share/applications")
file(READ "${prefix}/share/applications/mimeinfo.cache" cache)
if(NOT cache MATCHES "\n${MimeType}=${APP_ID}\\.desktop;\n")
  fail("update-desktop-database does not give ${MimeType} to ${APP_ID}.desktop:\n${cache}")
endif()

# The AppStream metainfo, clean for appstreamcli: the program's id, its desktop entry, and this
# version as the newest release.
need(APPSTREAMCLI)
set(metainfo share/metainfo/${APP_ID}.metainfo.xml)
expect_file(${metainfo})
run(out "${APPSTREAMCLI}" validate --no-net "${prefix}/${metainfo}")
if(out MATCHES "(^|\n)[EWI]: ")
  fail("appstreamcli validate ${metainfo}:\n${out}")
endif()
file(READ "${prefix}/${metainfo}" text)
foreach(needed "<id>${APP_ID}</id>" "<launchable type=\"desktop-id\">${APP_ID}.desktop</launchable>"
               "<mediatype>${MimeType}</mediatype>")
  string(FIND "${text}" "${needed}" at)
  if(at LESS 0)
    fail("${metainfo} lacks ${needed}")
  endif()
endforeach()
if(NOT text MATCHES "<releases>[ \n]*<release version=\"([^\"]*)\"" OR NOT CMAKE_MATCH_1 STREQUAL VERSION)
  fail("the newest release of ${metainfo} is ${CMAKE_MATCH_1}, not ${VERSION}")
endif()

# Started through the link, from another folder, it reads its own folder's files: the
# message about a missing data file comes with the English caption of english.lang.
file(WRITE "${WORK}/answers" "")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
          "RONDEL_PROMPT_SCRIPT=${WORK}/answers" "RONDEL_PROMPT_LOG=${WORK}/prompts.log"
          "${prefix}/bin/rondel" "${WORK}/missing.dig"
  WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET TIMEOUT 60)
if(NOT rc EQUAL 1)
  fail("the installed program ended with ${rc}, not 1")
endif()
file(READ "${WORK}/prompts.log" log)
if(NOT log MATCHES "^ask\terror\tok\tError\t[^\n]*missing\\.dig\n$")
  fail("unexpected prompts: ${log}")
endif()
file(REMOVE_RECURSE "${WORK}")
