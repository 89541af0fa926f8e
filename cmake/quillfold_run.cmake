# The custom command of quillfold_join(), run in script mode:
#
#   cmake -DQUILLFOLD_TOOL=<quillfold> -DQUILLFOLD_WORKING_DIRECTORY=<dir> -DQUILLFOLD_OUTPUT=<file>
#         -DQUILLFOLD_DEPFILE=<file> -DQUILLFOLD_DEPFILE_TARGET=<the output as the rule names it>
#         "-DQUILLFOLD_ARGUMENTS=<tool arguments as a list>"
#         [-DQUILLFOLD_EMBED_HEADER=<file> -DQUILLFOLD_EMBED_IDENTIFIER=<name>]
#         -P quillfold_run.cmake
#
# Runs the tool in the working directory, which writes the dependency file itself (-MF, with the
# rule's target given by -MT). It names the inputs as they were typed, so those given relative
# to the working directory are made absolute in it: the build tool reads it from elsewhere.
# With EMBED the header holding the joined text is written too. The tool's own messages pass
# straight through. When anything fails, the dependency file, the output and the header are
# removed, so that neither a stale dependency file nor an old output passes for a successful run.

cmake_minimum_required(VERSION 3.20)

foreach(variable QUILLFOLD_TOOL QUILLFOLD_WORKING_DIRECTORY QUILLFOLD_OUTPUT QUILLFOLD_DEPFILE
                 QUILLFOLD_DEPFILE_TARGET QUILLFOLD_ARGUMENTS)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "quillfold_run.cmake: ${variable} is not set")
  endif()
endforeach()

set(depfile_temporary "${QUILLFOLD_DEPFILE}.tmp")
set(leftovers "${QUILLFOLD_DEPFILE}" "${depfile_temporary}" "${QUILLFOLD_OUTPUT}")
if(DEFINED QUILLFOLD_EMBED_HEADER)
  list(APPEND leftovers "${QUILLFOLD_EMBED_HEADER}" "${QUILLFOLD_EMBED_HEADER}.tmp")
endif()

function(fail message)
  file(REMOVE ${leftovers})
  message(FATAL_ERROR "${message}")
endfunction()

# A path as the tool writes it into a make rule.
function(escape_for_depfile path result)
  string(REPLACE "$" "$$" path "${path}")
  string(REPLACE "#" "\\#" path "${path}")
  string(REPLACE " " "\\ " path "${path}")
  set(${result} "${path}" PARENT_SCOPE)
endfunction()

# Until this run has succeeded, no dependency file may speak for it.
file(REMOVE "${QUILLFOLD_DEPFILE}" "${depfile_temporary}")

escape_for_depfile("${QUILLFOLD_DEPFILE_TARGET}" target)
execute_process(
  COMMAND "${QUILLFOLD_TOOL}" ${QUILLFOLD_ARGUMENTS} -MF "${depfile_temporary}" -MT "${target}"
  WORKING_DIRECTORY "${QUILLFOLD_WORKING_DIRECTORY}"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  fail("quillfold failed (exit status ${status}) while joining ${QUILLFOLD_OUTPUT}")
endif()

# --- dependencies -------------------------------------------------------------------------------

# Every include is named by an absolute path already; only a relative input needs its folder.
# A name in the rule stands between a blank (unescaped) and a blank or the line's end.
file(READ "${depfile_temporary}" rule)
set(taken_as_input FALSE)
foreach(argument IN LISTS QUILLFOLD_ARGUMENTS)
  if(taken_as_input AND NOT IS_ABSOLUTE "${argument}")
    escape_for_depfile("${argument}" relative)
    escape_for_depfile("${QUILLFOLD_WORKING_DIRECTORY}/${argument}" absolute)
    string(REPLACE "\\" "\\\\" absolute "${absolute}")
    string(REGEX REPLACE "([][+.*?^$()|\\])" "\\\\\\1" pattern "${relative}")
    string(REGEX REPLACE "([^\\]) ${pattern}( |\n)" "\\1 ${absolute}\\2" rule "${rule}")
  endif()
  set(taken_as_input FALSE)
  if(argument MATCHES "^(-i|--input)$")
    set(taken_as_input TRUE)
  endif()
endforeach()

# --- embedded text ------------------------------------------------------------------------------

# The text goes into literals of at most this many bytes: C99 promises 4095, and MSVC refuses a
# single literal of about 16 KB. A whole array of them has no such limit.
set(piece_limit 4000)

# How each byte is written inside a literal, keyed by its two lowercase hex digits. A line feed
# also ends the literal's source line, so the header shows the text line by line. Octal escapes
# always have three digits, so a digit after one is never taken into it; "?" is escaped against
# trigraphs.
function(define_byte_escapes)
  set(digits 0 1 2 3 4 5 6 7 8 9 a b c d e f)
  foreach(code RANGE 0 255)
    math(EXPR high "${code} / 16")
    math(EXPR low "${code} % 16")
    list(GET digits ${high} high)
    list(GET digits ${low} low)
    if(code EQUAL 10)
      set(escape "\\n\"\n    \"")
    elseif(code EQUAL 9)
      set(escape "\\t")
    elseif(code EQUAL 13)
      set(escape "\\r")
    elseif(code EQUAL 34)
      set(escape "\\\"")
    elseif(code EQUAL 63)
      set(escape "\\?")
    elseif(code EQUAL 92)
      set(escape "\\\\")
    elseif(code GREATER_EQUAL 32 AND code LESS 127)
      string(ASCII ${code} escape)
    else()
      math(EXPR first "${code} / 64")
      math(EXPR second "${code} / 8 % 8")
      math(EXPR third "${code} % 8")
      set(escape "\\${first}${second}${third}")
    endif()
    set(escape_${high}${low} "${escape}" PARENT_SCOPE)
  endforeach()
endfunction()

# The text is read back from the output as bytes, so it is exactly what the tool wrote: on Windows
# that includes the CR of every line end, as the tool writes in text mode.
function(write_embed_header header identifier)
  define_byte_escapes()
  file(SIZE "${QUILLFOLD_OUTPUT}" size)
  set(pieces "")
  set(sizes "")
  set(count 0)
  set(offset 0)
  while(offset LESS size OR count EQUAL 0)
    file(READ "${QUILLFOLD_OUTPUT}" hex OFFSET ${offset} LIMIT ${piece_limit} HEX)
    string(LENGTH "${hex}" piece_size)
    math(EXPR piece_size "${piece_size} / 2")
    string(REGEX MATCHALL ".." bytes "${hex}")
    set(literal "")
    foreach(byte IN LISTS bytes)
      string(APPEND literal "${escape_${byte}}")
    endforeach()
    # A piece that ends in a line feed would end in an empty literal.
    set(literal "    \"${literal}\"")
    string(REGEX REPLACE "\n    \"\"$" "" literal "${literal}")
    if(count GREATER 0)
      string(APPEND pieces ",\n")
      string(APPEND sizes ", ")
    endif()
    string(APPEND pieces "${literal}")
    string(APPEND sizes "${piece_size}")
    math(EXPR offset "${offset} + ${piece_size}")
    math(EXPR count "${count} + 1")
    if(piece_size EQUAL 0)
      break()
    endif()
  endwhile()
  if(NOT offset EQUAL size)
    fail("quillfold_run.cmake: read ${offset} bytes of ${QUILLFOLD_OUTPUT}, expected ${size}")
  endif()

  get_filename_component(source_name "${QUILLFOLD_OUTPUT}" NAME)
  set(id "${identifier}")
  file(WRITE "${header}.tmp" "\
/* Generated by quillfold_join() from ${source_name}; do not edit.
 *
 * ${id}_pieces holds the joined text (${id}_size bytes) in ${id}_piece_count string literals of
 * at most ${piece_limit} bytes each, as some compilers refuse longer ones; ${id}_piece_sizes
 * holds their sizes, since the text may contain NUL bytes. With OpenCL:
 *   clCreateProgramWithSource(context, ${id}_piece_count, (const char**)${id}_pieces,
 *                             ${id}_piece_sizes, &error);
 * In C++, ${id}() is the whole text as one std::string.
 */
#ifndef QUILLFOLD_EMBED_${id}
#define QUILLFOLD_EMBED_${id}

#include <stddef.h>

static const char* const ${id}_pieces[] = {
${pieces}
};
static const size_t ${id}_piece_sizes[] = {${sizes}};
static const size_t ${id}_piece_count = ${count};
static const size_t ${id}_size = ${size};

#ifdef __cplusplus
#include <string>

static inline const std::string& ${id}() {
    static const std::string text = [] {
        std::string joined;
        joined.reserve(${id}_size);
        for (size_t i = 0; i < ${id}_piece_count; ++i) {
            joined.append(${id}_pieces[i], ${id}_piece_sizes[i]);
        }
        return joined;
    }();
    return text;
}
#endif

#endif
")
  file(RENAME "${header}.tmp" "${header}")
endfunction()

if(DEFINED QUILLFOLD_EMBED_HEADER)
  write_embed_header("${QUILLFOLD_EMBED_HEADER}" "${QUILLFOLD_EMBED_IDENTIFIER}")
endif()

# Last of all, so that a dependency file is there only after a run that succeeded.
file(WRITE "${depfile_temporary}" "${rule}")
file(RENAME "${depfile_temporary}" "${QUILLFOLD_DEPFILE}")
