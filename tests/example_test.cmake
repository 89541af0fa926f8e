# Builds one of the programs under examples/ against a scratch installation of the package, as a
# user would, and runs it twice: as it is, when it must succeed without a warning from its
# runtime, and with --deliberate-error, when it must fail with the runtime's build log naming the
# header and line of the mistake (the line of ERROR_HEADER that holds ERROR_MARKER).
#
#   cmake -DQUILLFOLD_BUILD_DIR=<build tree> [-DQUILLFOLD_CONFIG=<config>]
#         -DEXAMPLE_DIR=<examples/name> -DRUNTIME=<name> -DMISSING=<regex>
#         -DERROR_HEADER=<path in the example> -DERROR_MARKER=<text> -DWORK_DIR=<scratch dir>
#         -P example_test.cmake
#
# Where configuring or the first run prints MISSING, the runtime is not there: the test prints
# "example test skipped: <why>" and stops, unless RUNTIME is among the names in the environment
# variable QUILLFOLD_REQUIRE_RUNTIMES (CI lists those it installs), when it fails.

cmake_minimum_required(VERSION 3.20)
include("${CMAKE_CURRENT_LIST_DIR}/scratch_install.cmake")

get_filename_component(name "${EXAMPLE_DIR}" NAME)

# Shows the output as it is (a fatal error's message is reflowed), then fails.
function(fail why output)
  message("${output}")
  message(FATAL_ERROR "${why}")
endfunction()

# Skips the test, or fails it where the runtime must be there.
function(runtime_missing output)
  string(REPLACE " " ";" required "$ENV{QUILLFOLD_REQUIRE_RUNTIMES}")
  if(RUNTIME IN_LIST required)
    fail("${name} found no ${RUNTIME}, which QUILLFOLD_REQUIRE_RUNTIMES requires" "${output}")
  endif()
  message("example test skipped: ${name} found no ${RUNTIME}")
endfunction()

# The line the deliberate error is on, counted from 1.
file(READ "${EXAMPLE_DIR}/${ERROR_HEADER}" text)
string(FIND "${text}" "${ERROR_MARKER}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "'${ERROR_MARKER}' is not in ${ERROR_HEADER}")
endif()
string(SUBSTRING "${text}" 0 ${at} before)
string(REGEX MATCHALL "\n" line_ends "${before}")
list(LENGTH line_ends error_line)
math(EXPR error_line "${error_line} + 1")
get_filename_component(error_file "${ERROR_HEADER}" NAME)
string(REPLACE "." "\\." error_file "${error_file}")

file(REMOVE_RECURSE "${WORK_DIR}")
install_quillfold("${WORK_DIR}/prefix")

set(build "${WORK_DIR}/build")
set(generator "Unix Makefiles")
find_program(NINJA NAMES ninja ninja-build)
if(NINJA)
  set(generator Ninja)
endif()
# The examples are what users copy: they must build without a warning.
set(strict)
if(NOT CMAKE_HOST_WIN32)
  set(strict "-DCMAKE_C_FLAGS=-Wall -Wextra -Werror" "-DCMAKE_CXX_FLAGS=-Wall -Wextra -Werror")
endif()
run(any COMMAND "${CMAKE_COMMAND}" -S "${EXAMPLE_DIR}" -B "${build}" -G "${generator}"
    "-DCMAKE_PREFIX_PATH=${WORK_DIR}/prefix" ${strict} OUTPUT output STATUS status)
if(output MATCHES "${MISSING}")
  runtime_missing("${output}")
  return()
elseif(NOT status EQUAL 0)
  fail("configuring ${name} failed" "${output}")
endif()
run(0 COMMAND "${CMAKE_COMMAND}" --build "${build}")

set(program "${build}/${name}")
if(CMAKE_HOST_WIN32)
  string(APPEND program ".exe")
endif()
run(any COMMAND "${program}" OUTPUT output STATUS status)
if(output MATCHES "${MISSING}")
  runtime_missing("${output}")
  return()
elseif(NOT status EQUAL 0 OR output MATCHES "warning")
  fail("${name} should succeed without a warning; it exited with ${status}" "${output}")
endif()
message("${output}")

run(nonzero COMMAND "${program}" --deliberate-error OUTPUT output)
if(NOT output MATCHES "${error_file}(:|\\()${error_line}[:)]")
  fail("the build log should name ${ERROR_HEADER} line ${error_line}" "${output}")
endif()
message("${name} --deliberate-error:\n${output}")
