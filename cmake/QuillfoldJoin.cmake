# quillfold_join(OUTPUT <file> INPUTS <files...> [INCLUDE_DIRS <dirs...>] [OPTIONS <switches...>]
#                [EMBED <header> <identifier> [TARGET <target>]])
#
# Adds a custom command that joins INPUTS into OUTPUT with Quillfold::quillfold. The tool runs in
# the current source directory, so relative INPUTS and INCLUDE_DIRS are taken from there (and a
# quoted include that is found neither beside its file nor in an include directory is looked for
# there). A relative OUTPUT or EMBED header goes to the current binary directory. OPTIONS are
# passed to the tool as they are, e.g. OPTIONS -lnff -io.
#
# The build re-runs the join when any file the tool read changes, included files at any depth
# too: every run has the tool write a dependency file (-MF). A failing run fails the build with
# the tool's message and leaves neither a dependency file nor an output behind.
#
# EMBED also writes a C/C++ header holding the joined text, byte for byte:
#   <identifier>_pieces[]       the text as string literals of at most 4000 bytes each
#   <identifier>_piece_sizes[]  their sizes, so the text may hold NUL bytes
#   <identifier>_piece_count    how many there are
#   <identifier>_size           the size of the whole text
#   <identifier>()              (C++ only) the whole text as one const std::string&
# The first three go to clCreateProgramWithSource() (the pieces cast to const char**); the C++
# function suits nvrtcCreateProgram() and the like.
#
# TARGET hands the header to a target made before the call: it goes among the target's sources,
# so that the join runs before the target compiles, and its folder onto the target's include path
# (both PRIVATE). Without TARGET, a target that includes the header lists it among its sources and
# puts its folder on its include path itself. TARGET needs EMBED: a joined file alone may be
# compiled by a target or read by it at run time, and only the project knows which.
#
# Where several targets need the output, one of them, or one add_custom_target(... DEPENDS ...),
# should own it and the others depend on that target: listed among the sources of several
# targets, the join could run twice at once in a parallel Makefile build.
#
# Dependency files need CMake 3.20 or newer with Makefile generators; Ninja works too.

include_guard(GLOBAL)

# The function keeps the policies in force here wherever it is called from. Ninja reads the
# dependency file as it is written (CMP0116 OLD): CMake's rewrite of it for Ninja drops the
# escapes of "$" and "#", and Ninja then reads those as separators, so that a file whose name
# holds one would never be found and the join would run on every build.
cmake_policy(PUSH)
cmake_policy(VERSION 3.20)
cmake_policy(SET CMP0116 OLD)

function(quillfold_join)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "OUTPUT;TARGET" "INPUTS;INCLUDE_DIRS;OPTIONS;EMBED")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "quillfold_join: unexpected arguments: ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT arg_OUTPUT)
    message(FATAL_ERROR "quillfold_join: OUTPUT is required")
  endif()
  if(NOT arg_INPUTS)
    message(FATAL_ERROR "quillfold_join: INPUTS needs at least one file")
  endif()
  foreach(option IN LISTS arg_OPTIONS)
    if(option MATCHES "^(-i|--input|-o|--output|-h|--help|--version|--check)$" OR
       option MATCHES "^(-MF|--dependency-file|-MT|--dependency-target)$")
      message(FATAL_ERROR "quillfold_join: '${option}' does not belong in OPTIONS; "
                          "the inputs, the output and the dependency file are the function's")
    endif()
  endforeach()
  if(DEFINED arg_TARGET OR "TARGET" IN_LIST arg_KEYWORDS_MISSING_VALUES)
    if(NOT DEFINED arg_EMBED AND NOT "EMBED" IN_LIST arg_KEYWORDS_MISSING_VALUES)
      message(FATAL_ERROR "quillfold_join: TARGET needs EMBED, as it hands the target the "
                          "embedded header; to have a target wait for OUTPUT alone, list OUTPUT "
                          "among its sources")
    endif()
    if(NOT TARGET "${arg_TARGET}")
      message(FATAL_ERROR "quillfold_join: TARGET '${arg_TARGET}' is not a target; make it "
                          "(add_executable, add_library) before calling quillfold_join")
    endif()
  endif()
  if(NOT TARGET Quillfold::quillfold)
    message(FATAL_ERROR "quillfold_join: there is no Quillfold::quillfold; find_package(Quillfold) "
                        "provides it")
  endif()

  set(run_script "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/quillfold_run.cmake")
  get_filename_component(output "${arg_OUTPUT}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
  set(depfile "${output}.d")
  set(outputs "${output}")
  set(embed_definitions)
  if(DEFINED arg_EMBED OR "EMBED" IN_LIST arg_KEYWORDS_MISSING_VALUES)
    list(LENGTH arg_EMBED embed_count)
    if(NOT embed_count EQUAL 2)
      message(FATAL_ERROR "quillfold_join: EMBED takes a header file and an identifier")
    endif()
    list(GET arg_EMBED 0 header)
    list(GET arg_EMBED 1 identifier)
    if(NOT identifier MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
      message(FATAL_ERROR "quillfold_join: '${identifier}' is not a C identifier")
    endif()
    get_filename_component(header "${header}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
    list(APPEND outputs "${header}")
    set(embed_definitions "-DQUILLFOLD_EMBED_HEADER=${header}"
                          "-DQUILLFOLD_EMBED_IDENTIFIER=${identifier}")
  endif()

  set(tool_arguments)
  set(depends)
  foreach(input IN LISTS arg_INPUTS)
    list(APPEND tool_arguments -i "${input}")
    get_filename_component(input "${input}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    list(APPEND depends "${input}")
  endforeach()
  foreach(directory IN LISTS arg_INCLUDE_DIRS)
    list(APPEND tool_arguments -I "${directory}")
  endforeach()
  list(APPEND tool_arguments ${arg_OPTIONS} -o "${output}")

  # The rule must name the output as the build tool does. Makefile generators take an absolute
  # path; Ninja names a file inside the build tree relative to the top of it.
  file(RELATIVE_PATH shown "${CMAKE_BINARY_DIR}" "${output}")
  set(depfile_target "${output}")
  if(CMAKE_GENERATOR MATCHES "Ninja" AND NOT IS_ABSOLUTE "${shown}"
     AND NOT shown MATCHES "^\\.\\./")
    set(depfile_target "${shown}")
  endif()
  add_custom_command(
    OUTPUT ${outputs}
    COMMAND "${CMAKE_COMMAND}"
            "-DQUILLFOLD_TOOL=$<TARGET_FILE:Quillfold::quillfold>"
            "-DQUILLFOLD_WORKING_DIRECTORY=${CMAKE_CURRENT_SOURCE_DIR}"
            "-DQUILLFOLD_OUTPUT=${output}"
            "-DQUILLFOLD_DEPFILE=${depfile}"
            "-DQUILLFOLD_DEPFILE_TARGET=${depfile_target}"
            "-DQUILLFOLD_ARGUMENTS=${tool_arguments}"
            ${embed_definitions}
            -P "${run_script}"
    DEPENDS ${depends} Quillfold::quillfold "${run_script}"
    DEPFILE "${depfile}"
    COMMENT "Joining ${shown}"
    VERBATIM)

  if(DEFINED arg_TARGET)
    get_filename_component(header_dir "${header}" DIRECTORY)
    target_sources("${arg_TARGET}" PRIVATE "${header}")
    target_include_directories("${arg_TARGET}" PRIVATE "${header_dir}")
  endif()
endfunction()

cmake_policy(POP)
