# Installs the package into WORK_DIR and builds a project against it as a user would: with
# EXAMPLE_DIR, an example that must build without a warning, run, and report its deliberate error
# at ERROR_MARKER's line in ERROR_HEADER (skipped where its output matches MISSING, unless
# QUILLFOLD_REQUIRE_RUNTIMES names its RUNTIME); else package/, with Ninja and Unix Makefiles.
# With DEBIAN_VERSION, the package comes from the Debian package that cpack makes, unpacked with
# dpkg-deb, whose fields must name that version; package/ is then built once, with one of them.

cmake_minimum_required(VERSION 3.20)

# Shows `output` as it is (a fatal error's message is reflowed), then fails.
function(fail why)
  message("${output}")
  message(FATAL_ERROR "${why}")
endfunction()

# Runs a command; fails unless its exit status is as expected: 0, nonzero or any. Sets `output`
# (standard output and error together) and `status`.
function(run expected)
  execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE output ERROR_VARIABLE output
    RESULT_VARIABLE status)
  if(expected STREQUAL "0" AND NOT status EQUAL 0 OR expected STREQUAL "nonzero" AND status EQUAL 0)
    string(REPLACE ";" " " command "${ARGN}")
    fail("'${command}' exited with ${status}, expected ${expected}")
  endif()
  set(output "${output}" PARENT_SCOPE)
  set(status "${status}" PARENT_SCOPE)
endfunction()

find_program(NINJA NAMES ninja ninja-build)
find_program(MAKE NAMES make gmake)
if(NOT EXAMPLE_DIR AND NOT NINJA AND NOT MAKE)
  message("package test skipped: neither Ninja nor make is there")
  return()
endif()

find_program(DPKG_DEB dpkg-deb)
if(DEBIAN_VERSION AND (NOT DPKG_DEB OR NOT EXISTS "${CMAKE_CPACK_COMMAND}"))
  message("package test skipped: no dpkg-deb or no cpack to make the Debian package")
  return()
endif()

if(CMAKE_HOST_WIN32)
  set(exe ".exe")
endif()
file(REMOVE_RECURSE "${WORK_DIR}")
if(DEBIAN_VERSION)
  # cpack's scratch files and the package go to WORK_DIR; the build folder stays as it was.
  run(0 "${CMAKE_CPACK_COMMAND}" -G DEB -C "${QUILLFOLD_CONFIG}"
    --config "${QUILLFOLD_BUILD_DIR}/CPackConfig.cmake" -B "${WORK_DIR}/cpack")
  file(GLOB deb "${WORK_DIR}/cpack/quillfold_${DEBIAN_VERSION}_*.deb")
  if(NOT deb)
    fail("cpack made no quillfold_${DEBIAN_VERSION}_*.deb")
  endif()
  run(0 "${DPKG_DEB}" -f "${deb}" Package Version Depends Description)
  if(NOT output MATCHES "^Package: quillfold\nVersion: ([^\n]*)\nDepends: [^\n]*libc6"
     OR NOT CMAKE_MATCH_1 STREQUAL DEBIAN_VERSION
     OR NOT output MATCHES "\nDescription: [^\n]+(\n [^\n]+)*\n [^\n]*#line")
    fail("the package's fields should give its name, version ${DEBIAN_VERSION}, the C library "
         "among its dependencies, and a summary with a longer description below it")
  endif()
  run(0 "${DPKG_DEB}" -x "${deb}" "${WORK_DIR}/root")
  set(prefix "${WORK_DIR}/root/usr")
else()
  set(prefix "${WORK_DIR}/prefix")
  run(0 "${CMAKE_COMMAND}" --install "${QUILLFOLD_BUILD_DIR}" --prefix "${prefix}"
    --config "${QUILLFOLD_CONFIG}")
endif()

if(EXAMPLE_DIR)
  get_filename_component(name "${EXAMPLE_DIR}" NAME)
  get_filename_component(error_file "${ERROR_HEADER}" NAME)

  macro(skip_if_missing)
    if(output MATCHES "${MISSING}")
      if(" $ENV{QUILLFOLD_REQUIRE_RUNTIMES} " MATCHES " ${RUNTIME} ")
        fail("${name} found no ${RUNTIME}, which QUILLFOLD_REQUIRE_RUNTIMES requires")
      endif()
      message("example test skipped: ${name} found no ${RUNTIME}")
      return()
    endif()
  endmacro()

  # The examples are what users copy: they must build without a warning.
  if(NOT CMAKE_HOST_WIN32)
    set(strict "-DCMAKE_C_FLAGS=-Wall -Wextra -Werror" "-DCMAKE_CXX_FLAGS=-Wall -Wextra -Werror")
  endif()
  run(any "${CMAKE_COMMAND}" -S "${EXAMPLE_DIR}" -B "${WORK_DIR}/build"
    "-DCMAKE_PREFIX_PATH=${prefix}" ${strict})
  skip_if_missing()
  if(NOT status EQUAL 0)
    fail("configuring ${name} failed")
  endif()
  run(0 "${CMAKE_COMMAND}" --build "${WORK_DIR}/build")
  set(program "${WORK_DIR}/build/${name}${exe}")
  run(any "${program}")
  skip_if_missing()
  if(NOT status EQUAL 0 OR output MATCHES "warning")
    fail("${name} should succeed without a warning; it exited with ${status}")
  endif()
  message("${output}")
  # The header is the example's, or, as "<VARIABLE>:<path>", one under a folder the example's
  # configuration found.
  set(error_path "${EXAMPLE_DIR}/${ERROR_HEADER}")
  if(ERROR_HEADER MATCHES "^([A-Za-z_]+):(.*)$")
    set(relative "${CMAKE_MATCH_2}")
    file(STRINGS "${WORK_DIR}/build/CMakeCache.txt" found REGEX "^${CMAKE_MATCH_1}:[A-Z]+=")
    string(REGEX REPLACE "^[^=]*=" "" found "${found}")
    set(error_path "${found}/${relative}")
  endif()
  file(READ "${error_path}" text)
  string(FIND "${text}" "${ERROR_MARKER}" at)
  string(SUBSTRING "${text}" 0 ${at} text)
  string(REGEX REPLACE "[^\n]" "" text "${text}")
  string(LENGTH "_${text}" error_line)
  run(nonzero "${program}" --deliberate-error)
  if(NOT output MATCHES "${error_file}(:|\\()${error_line}[:)]")
    fail("the build log should name ${ERROR_HEADER} line ${error_line}")
  endif()
  message("${name} --deliberate-error:\n${output}")
  return()
endif()

set(tool "${prefix}/bin/quillfold${exe}")
file(GLOB_RECURSE config "${prefix}/lib*/QuillfoldConfig.cmake")
if(NOT EXISTS "${tool}" OR NOT EXISTS "${prefix}/share/man/man1/quillfold.1" OR NOT config)
  message(FATAL_ERROR "the tool, its manual page or the CMake package is not under ${prefix}")
endif()

# A copy, as its headers get touched and broken; its path, like all here, has a space.
set(source "${WORK_DIR}/source")
file(COPY "${CMAKE_CURRENT_LIST_DIR}/package/" DESTINATION "${source}")
set(deepest "${source}/include dir/filters/weights.h")
file(READ "${deepest}" deepest_text)

# Builds; fails unless it joins just when JOIN says so. Where it joins, checks what it made.
function(expect_build join why)
  run(0 "${CMAKE_COMMAND}" --build "${build}")
  if(join AND NOT output MATCHES "Joining kernel\\.joined\\.cl" OR
     NOT join AND output MATCHES "Joining kernel\\.joined\\.cl")
    fail("${why}: expected to join: ${join}")
  elseif(NOT join)
    return()
  endif()
  set(joined "${build}/kernel.joined.cl")
  # The same command line run by hand where the function runs it.
  run(0 "${tool}" -i kernel.cl -I "include dir" -I "${build}/generated" -io
    -o "${build}/expected.cl" WORKING_DIRECTORY "${source}")
  run(0 "${CMAKE_COMMAND}" -E compare_files "${joined}" "${build}/expected.cl")
  foreach(program print_kernel print_kernel_c)
    run(0 "${build}/${program}${exe}" OUTPUT_FILE "${build}/${program}.out")
    run(0 "${CMAKE_COMMAND}" -E compare_files "${joined}" "${build}/${program}.out")
  endforeach()
  file(READ "${build}/kernel_source.h" output)
  if(NOT output MATCHES "kernel_source_piece_count = ([3-9]|[1-9][0-9]+);")
    fail("the embedded text should be in 3 pieces or more")
  endif()
  file(READ "${joined}.d" output)
  foreach(name "include\\ dir/filters/weights.h" "generated/odd\\ $$name\\ \\#1.h")
    string(FIND "${output}" "${name}" at)
    if(at EQUAL -1)
      fail("${joined}.d does not name '${name}'")
    endif()
  endforeach()
endfunction()

foreach(generator Ninja "Unix Makefiles")
  if(generator STREQUAL "Ninja" AND NOT NINJA OR generator MATCHES "Make" AND NOT MAKE)
    message("-- not built with ${generator}: not found")
    continue()
  endif()
  set(build "${WORK_DIR}/build ${generator}")
  run(0 "${CMAKE_COMMAND}" -S "${source}" -B "${build}" -G "${generator}"
    "-DCMAKE_PREFIX_PATH=${prefix}" "-DCMAKE_CXX_COMPILER=${QUILLFOLD_CXX_COMPILER}")
  expect_build(YES "the first build")
  if(DEBIAN_VERSION)
    break() # the rebuilds below test the join, which is the same however the package came
  endif()
  expect_build(NO "nothing changed")
  file(TOUCH "${deepest}")
  expect_build(YES "the header three includes deep was touched")
  file(TOUCH "${build}/generated/odd $name #1.h")
  expect_build(YES "the header with an odd name was touched")

  # A failed join fails the build with the tool's message and leaves nothing that passes for its
  # outputs, so the next build fails too.
  file(APPEND "${deepest}" "#include \"missing.h\"\n")
  foreach(again 1 2)
    run(nonzero "${CMAKE_COMMAND}" --build "${build}")
    file(GLOB left "${build}/kernel*")
    if(left OR NOT output MATCHES "error: [^\n]*failed to resolve include of 'missing\\.h'")
      fail("the join should fail with the tool's message and leave nothing: ${left}")
    endif()
  endforeach()
  # Mended with a change, which the embedded text must show.
  file(WRITE "${deepest}" "${deepest_text}/* mended for ${generator} */\n")
  expect_build(YES "the broken header was mended")
  expect_build(NO "nothing changed after mending")
endforeach()
