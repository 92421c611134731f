# Fails when product code includes a header from a folder it may not use. Static libraries
# link in any direction, so this is what keeps the layers apart.
# Usage: cmake -DSOURCE_DIR=<repository> -P include_direction.cmake
cmake_minimum_required(VERSION 3.25)

# The folders each folder stands on directly; it may also use everything those stand on.
# builder/ and cli/ are siblings: neither uses the other, and app/ never uses cli/.
set(folders platform image decode resample page job queue cli builder app)
set(uses_platform "")
set(uses_image platform)
set(uses_decode image)
set(uses_resample image)
set(uses_page image)
set(uses_job decode resample page)
set(uses_queue job)
set(uses_cli queue)
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
foreach(folder IN LISTS folders)
  file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/${folder}/*.cpp"
       "${SOURCE_DIR}/${folder}/*.h")
  foreach(source IN LISTS sources)
    math(EXPR checked "${checked} + 1")
    file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" included "${line}")
      string(REGEX REPLACE "/.*$" "" target "${included}")
      if(NOT target IN_LIST allowed_${folder})
        string(APPEND bad "  ${source}: #include \"${included}\"\n")
        math(EXPR count "${count} + 1")
      endif()
    endforeach()
  endforeach()
endforeach()

if(checked EQUAL 0)
  message(FATAL_ERROR "no source files under ${SOURCE_DIR}")
endif()
if(count GREATER 0)
  message(FATAL_ERROR
          "${count} include(s) against the direction platform <- image <- decode, resample, page "
          "<- job <- queue <- cli, builder <- app:\n${bad}")
endif()
