# Fails when product code includes a header from a folder it may not use. Static libraries
# link in any direction, so this is what keeps the layers apart.
# Usage: cmake -DSOURCE_DIR=<repository> -P include_direction.cmake
cmake_minimum_required(VERSION 3.25)

# The folders each folder stands on directly; it may also use everything those stand on.
# builder/ and cli/ are siblings: neither uses the other, and app/ never uses cli/.
set(folders platform image archive decode resample page clean job queue book preview cli builder app)
set(uses_platform "")
set(uses_image platform)
set(uses_archive platform)
set(uses_decode image)
set(uses_resample image)
set(uses_page image)
set(uses_clean page)
set(uses_job decode resample page clean archive)
set(uses_queue job)
set(uses_book queue)
set(uses_preview book)
set(uses_cli preview)
set(uses_builder queue)
set(uses_app builder)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "set SOURCE_DIR to the repository")
endif()

# allowed_<folder>: the folder itself and everything below it. Each folder's entry only names
# folders listed before it, so one pass in this order closes the table.
foreach(folder IN LISTS folders)
  set(allowed_${folder} ${folder})
  foreach(used IN LISTS uses_${folder})
    list(APPEND allowed_${folder} ${allowed_${used}})
  endforeach()
  list(REMOVE_DUPLICATES allowed_${folder})
endforeach()

set(bad "")
set(count 0)
set(checked 0)
set(edges "")
# A file's unit: its path without the extension and a _posix or _win ending, so that a header,
# its source and its platform twins count as one.
function(unit_of path out)
  string(REGEX REPLACE "\\.(cpp|h)$" "" path "${path}")
  string(REGEX REPLACE "_(posix|win)$" "" path "${path}")
  set(${out} "${path}" PARENT_SCOPE)
endfunction()
foreach(folder IN LISTS folders)
  file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/${folder}/*.cpp"
       "${SOURCE_DIR}/${folder}/*.h")
  set(units "")
  foreach(source IN LISTS sources)
    math(EXPR checked "${checked} + 1")
    unit_of("${source}" from)
    if(source MATCHES "\\.cpp$")
      list(APPEND units "${from}")
    endif()
    file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" included "${line}")
      string(REGEX REPLACE "/.*$" "" target "${included}")
      if(NOT target IN_LIST allowed_${folder})
        string(APPEND bad "  ${source}: #include \"${included}\"\n")
        math(EXPR count "${count} + 1")
      endif()
      unit_of("${included}" to)
      if(NOT to STREQUAL from)
        list(APPEND edges "${from}>${to}")
      endif()
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES units)
  list(LENGTH units unit_count)
  if(unit_count GREATER 30)
    string(APPEND bad "  ${folder}/ holds ${unit_count} sources, more than 30\n")
    math(EXPR count "${count} + 1")
  endif()
endforeach()

# No two files of one folder include each other.
foreach(edge IN LISTS edges)
  string(REPLACE ">" ";" ends "${edge}")
  list(GET ends 0 from)
  list(GET ends 1 to)
  if("${to}>${from}" IN_LIST edges AND from STRLESS to)
    string(APPEND bad "  ${from} and ${to} include each other\n")
    math(EXPR count "${count} + 1")
  endif()
endforeach()

if(checked EQUAL 0)
  message(FATAL_ERROR "no source files under ${SOURCE_DIR}")
endif()
if(count GREATER 0)
  message(FATAL_ERROR
          "${count} include(s) against the direction platform <- image <- decode, resample, page "
          "(<- clean) <- job <- queue <- book <- preview <- cli, queue <- builder <- app:\n${bad}")
endif()
