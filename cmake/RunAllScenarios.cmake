# Runs every scenario script of a folder in ONE `kavex run`, so that state one script leaves
# behind in the process (the add-in's globals, the message loop, the host) makes a later script
# fail. The folder is read when the test runs: a script added since the build was configured is
# included.
#
#   cmake -DKAVEX=path/to/kavex -DSCENARIOS=path/to/folder -P RunAllScenarios.cmake
if(NOT KAVEX OR NOT SCENARIOS)
    message(FATAL_ERROR "usage: cmake -DKAVEX=... -DSCENARIOS=... -P RunAllScenarios.cmake")
endif()
file(GLOB scripts LIST_DIRECTORIES false ${SCENARIOS}/*.kvs)
list(SORT scripts)
list(LENGTH scripts count)
if(count EQUAL 0)
    message(FATAL_ERROR "no scenario scripts in ${SCENARIOS}")
endif()
message(STATUS "kavex run: ${count} scripts in one run")
execute_process(COMMAND ${KAVEX} run ${scripts} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "kavex run of all ${count} scripts in one run ended with status ${status}")
endif()
