# Fails, naming each finding, when ShellCheck warns about one of our shell scripts (errors and
# warnings; style notes are left to taste). Sourced libraries are followed from their scripts.
# Usage: cmake -DSOURCE_DIR=<top of the tree> -DSHELLCHECK=<program> [-DSCRIPTS=<files>]
#              -P CheckShell.cmake
#   SCRIPTS  the scripts to check instead of every *.sh below the source folders, run.sh,
#            test.sh and .ci/run
cmake_minimum_required(VERSION 3.25)

if(NOT SCRIPTS)
  file(GLOB_RECURSE SCRIPTS LIST_DIRECTORIES false
       "${SOURCE_DIR}/scripts/*.sh" "${SOURCE_DIR}/tests/*.sh" "${SOURCE_DIR}/bench/*.sh"
       "${SOURCE_DIR}/tools/*.sh")
  list(APPEND SCRIPTS "${SOURCE_DIR}/run.sh" "${SOURCE_DIR}/test.sh" "${SOURCE_DIR}/.ci/run")
endif()
execute_process(COMMAND "${SHELLCHECK}" --external-sources --source-path=SCRIPTDIR
                        --severity=warning --format=gcc ${SCRIPTS}
                WORKING_DIRECTORY "${SOURCE_DIR}" RESULT_VARIABLE status OUTPUT_VARIABLE findings
                ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "ShellCheck warns:\n${findings}${errors}")
endif()
list(LENGTH SCRIPTS count)
message(STATUS "${count} scripts pass ShellCheck")
