# cmake --install into a fresh prefix gives a self-contained program folder lib/rondel with
# the program, setting.ini and the language files side by side, and a launcher bin/rondel
# that starts the program from that folder.
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
