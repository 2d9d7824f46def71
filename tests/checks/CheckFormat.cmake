# Fails, naming the files, when a C++ source differs from what the committed .clang-format makes of it.
# Usage: cmake -DSOURCE_DIR=<top of the tree> -DCLANG_FORMAT=<program> -P CheckFormat.cmake
cmake_minimum_required(VERSION 3.25)

file(GLOB_RECURSE sources LIST_DIRECTORIES false
     "${SOURCE_DIR}/src/*.cpp" "${SOURCE_DIR}/src/*.h" "${SOURCE_DIR}/tests/*.cpp" "${SOURCE_DIR}/tests/*.h"
     "${SOURCE_DIR}/tools/*.cpp" "${SOURCE_DIR}/tools/*.h" "${SOURCE_DIR}/bench/*.cpp"
     "${SOURCE_DIR}/fuzz/*.cpp" "${SOURCE_DIR}/res/*.h")
execute_process(COMMAND "${CLANG_FORMAT}" --dry-run --Werror ${sources}
                WORKING_DIRECTORY "${SOURCE_DIR}" RESULT_VARIABLE status ERROR_VARIABLE diagnostics)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "Not formatted (run clang-format -i on these):\n${diagnostics}")
endif()
list(LENGTH sources count)
message(STATUS "${count} files formatted")
