# Checks that every include between the source folders points down the layers:
#   platform <- app <- config <- services, launch <- ui/controls <- ui/dialogs <- ui/toolbar <- main
# The skin opens nothing itself, so ui/controls reaches neither services nor launch.
# Usage: cmake -DSOURCE_DIR=<folder holding the layer folders> -P CheckLayering.cmake
# Fails with every offending include, one per line.

cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR is not set")
endif()
get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)

set(layers platform app config services launch ui/controls ui/dialogs ui/toolbar main)
set(allowed_platform platform)
set(allowed_app platform app)
set(allowed_config platform app config)
set(allowed_services platform app config services)
set(allowed_launch platform app config launch)
set(allowed_ui/controls platform app config ui/controls)
set(allowed_ui/dialogs platform app config services launch ui/controls ui/dialogs)
set(allowed_ui/toolbar platform app config services launch ui/controls ui/dialogs ui/toolbar)
set(allowed_main ${layers})

# The layer a path below SOURCE_DIR (or an include path) belongs to; empty when none.
function(layer_of path out)
  set(result "")
  foreach(layer IN LISTS layers)
    if(path MATCHES "^${layer}/")
      set(result ${layer})
    endif()
  endforeach()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
set(problems "")
foreach(source IN LISTS sources)
  layer_of("${source}" layer)
  if(layer STREQUAL "")
    string(APPEND problems "${source}: lies in no known layer\n")
    continue()
  endif()
  file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" included "${line}")
    layer_of("${included}" target)
    if(target STREQUAL "" OR target IN_LIST allowed_${layer})
      continue()
    endif()
    string(APPEND problems "${source}: includes \"${included}\" (${layer} must not depend on ${target})\n")
  endforeach()
endforeach()

list(LENGTH sources count)
if(count EQUAL 0)
  message(FATAL_ERROR "no sources found below ${SOURCE_DIR}")
endif()
if(NOT problems STREQUAL "")
  message(FATAL_ERROR "Includes against the layering:\n${problems}")
endif()
message(STATUS "${count} files follow the layering")
