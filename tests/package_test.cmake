# Installs the package into a scratch prefix and builds tests/package against it, with Ninja (when
# it is there) and with Unix Makefiles (when make is there). For each: the joined file must be
# what the tool itself makes of the same command line, the embedded header must give back the
# joined file byte for byte through both its C and its C++ interface, touching an included header
# (the deepest one, and the one whose name needs escaping) must make the next build join again
# and a build with nothing touched must not, and a join that fails must fail the build with the
# tool's message and leave no dependency file behind.
#
#   cmake -DQUILLFOLD_BUILD_DIR=<build tree> [-DQUILLFOLD_CONFIG=<config>]
#         [-DQUILLFOLD_CROSSCOMPILING=<bool>] [-DQUILLFOLD_CXX_COMPILER=<compiler>]
#         -DCONSUMER_SOURCE_DIR=<tests/package> -DWORK_DIR=<scratch dir> -P package_test.cmake
#
# Prints "package test skipped: <why>" and stops where it cannot run.

cmake_minimum_required(VERSION 3.16)
include("${CMAKE_CURRENT_LIST_DIR}/scratch_install.cmake")

function(skip reason)
  message("package test skipped: ${reason}")
endfunction()

if(QUILLFOLD_CROSSCOMPILING)
  skip("the tool is built for another platform")
  return()
endif()
if(CMAKE_VERSION VERSION_LESS 3.20)
  skip("the package needs CMake 3.20, this is ${CMAKE_VERSION}")
  return()
endif()

set(generators)
find_program(NINJA NAMES ninja ninja-build)
if(NINJA)
  list(APPEND generators "Ninja")
else()
  message("Ninja not found: not tested with it")
endif()
find_program(MAKE NAMES make gmake)
if(MAKE)
  list(APPEND generators "Unix Makefiles")
else()
  message("make not found: not tested with Unix Makefiles")
endif()
if(NOT generators)
  skip("neither Ninja nor make is there")
  return()
endif()

function(expect_same_file actual expected what)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${actual}" "${expected}"
    RESULT_VARIABLE different)
  if(different)
    message(FATAL_ERROR "${what}: ${actual} differs from ${expected}")
  endif()
endfunction()

# The scratch tree has a space in its name, so every path that the function hands on is one.
file(REMOVE_RECURSE "${WORK_DIR}")
set(prefix "${WORK_DIR}/prefix")
set(source "${WORK_DIR}/source")
file(MAKE_DIRECTORY "${WORK_DIR}")

# --- installation -------------------------------------------------------------------------------

install_quillfold("${prefix}")
set(exe "")
if(CMAKE_HOST_WIN32)
  set(exe ".exe")
endif()
set(tool "${prefix}/bin/quillfold${exe}")
foreach(installed "${tool}" "${prefix}/share/man/man1/quillfold.1")
  if(NOT EXISTS "${installed}")
    message(FATAL_ERROR "not installed: ${installed}")
  endif()
endforeach()

# The manual page must render without a warning, where groff is there to tell.
find_program(GROFF groff)
if(GROFF)
  run(0 COMMAND "${GROFF}" -man -Tutf8 -ww -z "${prefix}/share/man/man1/quillfold.1"
      OUTPUT warnings)
  if(NOT warnings STREQUAL "")
    message(FATAL_ERROR "the manual page does not render cleanly:\n${warnings}")
  endif()
endif()

# The consumer is built from a copy: its headers get touched and broken.
file(COPY "${CONSUMER_SOURCE_DIR}/" DESTINATION "${source}")
set(deepest "${source}/include dir/filters/weights.h")
file(READ "${deepest}" deepest_text)

set(compiler_option)
if(QUILLFOLD_CXX_COMPILER)
  set(compiler_option "-DCMAKE_CXX_COMPILER=${QUILLFOLD_CXX_COMPILER}")
endif()

# --- one generator ------------------------------------------------------------------------------

# Builds; JOINED names a variable set to whether the build ran the join.
function(build directory joined)
  run(0 COMMAND "${CMAKE_COMMAND}" --build "${directory}" OUTPUT output)
  if(output MATCHES "Joining kernel\\.joined\\.cl")
    set(${joined} TRUE PARENT_SCOPE)
  else()
    set(${joined} FALSE PARENT_SCOPE)
  endif()
endfunction()

function(expect_join directory why)
  build("${directory}" joined)
  if(NOT joined)
    message(FATAL_ERROR "${why}, but the build did not join again")
  endif()
endfunction()

function(expect_no_join directory why)
  build("${directory}" joined)
  if(joined)
    message(FATAL_ERROR "${why}, yet the build joined again")
  endif()
endfunction()

function(check_outputs directory)
  set(joined "${directory}/kernel.joined.cl")
  # The same command line, run by hand where the function runs it.
  run(0 WORKING_DIRECTORY "${source}" COMMAND "${tool}" -i kernel.cl -I "include dir"
      -I "${directory}/generated" -io -o "${directory}/expected.cl")
  expect_same_file("${joined}" "${directory}/expected.cl" "joined by quillfold_join()")
  file(READ "${joined}" text)
  if(NOT text MATCHES "three includes deep" OR NOT text MATCHES "kTable")
    message(FATAL_ERROR "${joined} lacks the text of included headers")
  endif()

  foreach(program print_kernel print_kernel_c)
    execute_process(COMMAND "${directory}/${program}${exe}"
      OUTPUT_FILE "${directory}/${program}.out" RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "${program} exited with ${status}")
    endif()
    expect_same_file("${directory}/${program}.out" "${joined}" "the text embedded by ${program}")
  endforeach()

  # Several pieces, one of them ending inside the long line of the generated header.
  file(READ "${directory}/kernel_source.h" header)
  set(pieces 0)
  if(header MATCHES "kernel_source_piece_count = ([0-9]+);")
    set(pieces ${CMAKE_MATCH_1})
  endif()
  if(pieces LESS 3)
    message(FATAL_ERROR "the embedded text should be in 3 pieces or more:\n${header}")
  endif()

  # The dependency file names the deepest header and escapes the odd name.
  file(READ "${joined}.d" depfile)
  foreach(expected "include\\ dir/filters/weights.h" "generated/odd\\ $$name\\ \\#1.h")
    string(FIND "${depfile}" "${expected}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${joined}.d does not name '${expected}':\n${depfile}")
    endif()
  endforeach()
endfunction()

function(test_generator generator)
  string(REPLACE " " "-" name "${generator}")
  set(build "${WORK_DIR}/build ${name}")
  message("-- ${generator}")
  run(0 COMMAND "${CMAKE_COMMAND}" -S "${source}" -B "${build}" -G "${generator}"
      "-DCMAKE_PREFIX_PATH=${prefix}" ${compiler_option} OUTPUT output)

  expect_join("${build}" "the first build")
  check_outputs("${build}")
  expect_no_join("${build}" "nothing changed")

  file(TOUCH "${deepest}")
  expect_join("${build}" "the header three includes deep was touched")
  check_outputs("${build}")
  expect_no_join("${build}" "nothing changed after the rebuild")

  file(TOUCH "${build}/generated/odd $name #1.h")
  expect_join("${build}" "the header with an odd name was touched")

  # A join that fails: the build fails with the tool's message and nothing claims success.
  file(APPEND "${deepest}" "#include \"missing.h\"\n")
  run(nonzero COMMAND "${CMAKE_COMMAND}" --build "${build}" OUTPUT output)
  if(NOT output MATCHES "error: [^\n]*failed to resolve include of 'missing\\.h'")
    message(FATAL_ERROR "the failed build does not show the tool's message:\n${output}")
  endif()
  foreach(leftover kernel.joined.cl kernel.joined.cl.d kernel_source.h)
    if(EXISTS "${build}/${leftover}")
      message(FATAL_ERROR "${leftover} is left after the join failed")
    endif()
  endforeach()
  # Nor does the next build take the failure for done.
  run(nonzero COMMAND "${CMAKE_COMMAND}" --build "${build}" OUTPUT output)

  # Mended with a change, so the embedded text must change with it.
  file(WRITE "${deepest}" "${deepest_text}/* mended for ${generator} */\n")
  expect_join("${build}" "the broken header was mended")
  check_outputs("${build}")
  expect_no_join("${build}" "nothing changed after the mended build")
endfunction()

foreach(generator IN LISTS generators)
  test_generator("${generator}")
endforeach()
