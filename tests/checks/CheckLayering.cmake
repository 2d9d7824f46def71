# Checks that every include between the source folders points down the layers:
#   platform/os <- platform/net
#   platform/os <- app <- config <- services, launch (both may use platform/net)
#   platform/desktop and all of the above <- ui/controls <- ui/dialogs <- ui/toolbar <- main
# The skin opens nothing itself, so ui/controls reaches neither services nor launch; the
# desktop's platform part stands on its own. Below the user interface no file includes a Qt
# Widgets header and no library links Qt Widgets.
# Usage: cmake -DSOURCE_DIR=<folder holding the layer folders> [-DWIDGETS_HEADERS=<folder>]
#              [-DLINKS=<file>] -P CheckLayering.cmake
#   WIDGETS_HEADERS  Qt Widgets' header folder: an include of a header named there is one of
#                    Qt Widgets
#   LINKS            lines "<library>: <what it links, directly or through others>", for the
#                    libraries below the user interface
# Fails with every offending include and link, one per line.

cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR is not set")
endif()
get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)

set(layers platform/os platform/net platform/desktop app config services launch ui/controls
           ui/dialogs ui/toolbar main)
set(allowed_platform/os platform/os)
set(allowed_platform/net platform/os platform/net)
set(allowed_platform/desktop platform/desktop)
set(allowed_app platform/os app)
set(allowed_config platform/os app config)
set(allowed_services platform/os platform/net app config services)
set(allowed_launch platform/os platform/net app config launch)
set(allowed_ui/controls platform/os platform/desktop app config ui/controls)
set(allowed_ui/dialogs platform/os platform/net platform/desktop app config services launch
                       ui/controls ui/dialogs)
set(allowed_ui/toolbar ${allowed_ui/dialogs} ui/toolbar)
set(allowed_main ${layers})
# The layers that must do without Qt Widgets.
set(below_ui platform/os platform/net app config services launch)

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

set(widgets_headers "")
if(WIDGETS_HEADERS)
  file(GLOB widgets_headers RELATIVE "${WIDGETS_HEADERS}" "${WIDGETS_HEADERS}/Q*")
  if(NOT widgets_headers)
    message(FATAL_ERROR "no Qt Widgets headers in ${WIDGETS_HEADERS}")
  endif()
endif()

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
set(problems "")
foreach(source IN LISTS sources)
  layer_of("${source}" layer)
  if(layer STREQUAL "")
    string(APPEND problems "${source}: lies in no known layer\n")
    continue()
  endif()
  file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]*)[\">].*" "\\1" included
                         "${line}")
    if(layer IN_LIST below_ui)
      string(REGEX REPLACE "^QtWidgets/" "" header "${included}")
      if(included MATCHES "^QtWidgets" OR header IN_LIST widgets_headers)
        string(APPEND problems "${source}: includes <${included}> (Qt Widgets below the user interface)\n")
      endif()
    endif()
    if(line MATCHES "<")
      continue()
    endif()
    layer_of("${included}" target)
    if(target STREQUAL "" OR target IN_LIST allowed_${layer})
      continue()
    endif()
    string(APPEND problems "${source}: includes \"${included}\" (${layer} must not depend on ${target})\n")
  endforeach()
endforeach()

if(LINKS)
  file(STRINGS "${LINKS}" lines)
  foreach(line IN LISTS lines)
    if(line MATCHES "^([^:]+):.*Qt6?::Widgets")
      string(APPEND problems "${CMAKE_MATCH_1} links Qt Widgets below the user interface\n")
    endif()
  endforeach()
endif()

list(LENGTH sources count)
if(count EQUAL 0)
  message(FATAL_ERROR "no sources found below ${SOURCE_DIR}")
endif()
if(NOT problems STREQUAL "")
  message(FATAL_ERROR "Against the layering:\n${problems}")
endif()
message(STATUS "${count} files follow the layering")
