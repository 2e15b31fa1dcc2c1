# SPDX-License-Identifier: GPL-3.0-or-later
# Every source file of the project names its licence in one of its first three lines, as the
# copyright file of the package says of all of them.
#   cmake -DSOURCE=<source folder> -P licence_lines.cmake
cmake_minimum_required(VERSION 3.25)
set(line "SPDX-License-Identifier: GPL-3.0-or-later")
set(patterns)
foreach(folder app bench cmake core grid link platform resources scripts shell tests tools view)
  list(APPEND patterns ${SOURCE}/${folder}/*.cpp ${SOURCE}/${folder}/*.h ${SOURCE}/${folder}/*.sh
       ${SOURCE}/${folder}/*.py ${SOURCE}/${folder}/*.cmake ${SOURCE}/${folder}/CMakeLists.txt)
endforeach()
file(GLOB_RECURSE files ${patterns})
list(APPEND files ${SOURCE}/CMakeLists.txt)
set(missing)
set(count 0)
foreach(file IN LISTS files)
  math(EXPR count "${count} + 1")
  file(STRINGS "${file}" head LIMIT_COUNT 3)
  string(FIND "${head}" "${line}" at)
  if(at LESS 0)
    file(RELATIVE_PATH name "${SOURCE}" "${file}")
    string(APPEND missing "\n  ${name}")
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "These files do not name their licence (\"${line}\" in their first three lines):${missing}")
endif()
message(STATUS "${count} source files name their licence")
