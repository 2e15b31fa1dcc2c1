# cmake --install into a fresh prefix gives a self-contained program folder lib/rondel with
# the program, setting.ini and the language files side by side, a launcher bin/rondel that
# starts the program from that folder, and the help pages for a browser in share/doc/rondel.
#   cmake -DBUILD=<build tree> -DWORK=<scratch folder> -P install_check.cmake
file(REMOVE_RECURSE "${WORK}")
set(prefix "${WORK}/prefix")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD}" --prefix "${prefix}"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()
foreach(f rondel setting.ini english.lang chinese.lang)
  if(NOT EXISTS "${prefix}/lib/rondel/${f}")
    message(FATAL_ERROR "lib/rondel/${f} was not installed")
  endif()
endforeach()
# The help pages as plain HTML, a folder per language: the start page in its language, and every
# page's relative links, pictures and style sheet found beside it.
set(html "${prefix}/share/doc/rondel/html")
foreach(case "en;Rondel Help" "zh;Rondel 帮助")
  list(GET case 0 lang)
  list(GET case 1 title)
  file(GLOB pages "${html}/${lang}/*.html")
  list(LENGTH pages count)
  if(count LESS 12)
    message(FATAL_ERROR "share/doc/rondel/html/${lang} holds ${count} pages")
  endif()
  file(READ "${html}/${lang}/index.html" start)
  if(NOT start MATCHES "<title>${title}</title>")
    message(FATAL_ERROR "share/doc/rondel/html/${lang}/index.html is not the start page of its language")
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
        message(FATAL_ERROR "${page} links ${linked}, which was not installed beside it")
      endif()
      math(EXPR checked "${checked} + 1")
    endforeach()
  endforeach()
  if(checked LESS 50)  # every page has its style sheet and links to others
    message(FATAL_ERROR "only ${checked} links found in the pages of share/doc/rondel/html/${lang}")
  endif()
endforeach()
if(NOT IS_SYMLINK "${prefix}/bin/rondel")
  message(FATAL_ERROR "bin/rondel is not a link")
endif()
file(READ_SYMLINK "${prefix}/bin/rondel" target)
if(NOT target STREQUAL "../lib/rondel/rondel")
  message(FATAL_ERROR "bin/rondel points at ${target}")
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
  message(FATAL_ERROR "the installed program ended with ${rc}, not 1")
endif()
file(READ "${WORK}/prompts.log" log)
if(NOT log MATCHES "^ask\terror\tok\tError\t[^\n]*missing\\.dig\n$")
  message(FATAL_ERROR "unexpected prompts: ${log}")
endif()
file(REMOVE_RECURSE "${WORK}")
