# What the tests that build a project against an installed package share (package_test.cmake,
# example_test.cmake); included in script mode.

# Runs a command; fails the test unless its exit status is as expected: "0", "nonzero", or "any".
# Its standard output and error, together, go to the variable named by OUTPUT, and its exit
# status to the one named by STATUS.
function(run expected)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "OUTPUT;STATUS;WORKING_DIRECTORY" "COMMAND")
  set(directory_option)
  if(arg_WORKING_DIRECTORY)
    set(directory_option WORKING_DIRECTORY "${arg_WORKING_DIRECTORY}")
  endif()
  execute_process(COMMAND ${arg_COMMAND} ${directory_option}
    OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE status)
  if((expected STREQUAL "0" AND NOT status EQUAL 0) OR
     (expected STREQUAL "nonzero" AND status EQUAL 0))
    string(REPLACE ";" " " shown "${arg_COMMAND}")
    message(FATAL_ERROR "'${shown}' exited with ${status}, expected ${expected}:\n${output}")
  endif()
  if(arg_OUTPUT)
    set(${arg_OUTPUT} "${output}" PARENT_SCOPE)
  endif()
  if(arg_STATUS)
    set(${arg_STATUS} "${status}" PARENT_SCOPE)
  endif()
endfunction()

# Installs the build tree QUILLFOLD_BUILD_DIR (its configuration QUILLFOLD_CONFIG, where that is
# set) under PREFIX.
function(install_quillfold prefix)
  set(config_option)
  if(QUILLFOLD_CONFIG)
    set(config_option --config "${QUILLFOLD_CONFIG}")
  endif()
  run(0 COMMAND "${CMAKE_COMMAND}" --install "${QUILLFOLD_BUILD_DIR}" --prefix "${prefix}"
      ${config_option})
endfunction()
