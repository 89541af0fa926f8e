# The custom command of quillfold_join(), run in script mode:
#
#   cmake -DQUILLFOLD_TOOL=<quillfold> -DQUILLFOLD_WORKING_DIRECTORY=<dir> -DQUILLFOLD_OUTPUT=<file>
#         -DQUILLFOLD_DEPFILE=<file> -DQUILLFOLD_DEPFILE_TARGET=<the output as the rule names it>
#         "-DQUILLFOLD_ARGUMENTS=<tool arguments as a list>"
#         [-DQUILLFOLD_EMBED_HEADER=<file> -DQUILLFOLD_EMBED_IDENTIFIER=<name>]
#         -P quillfold_run.cmake
#
# Runs the tool with --verbose in the working directory. Its report names every file it read: the
# loading lines the inputs (as typed, so relative to the working directory), the recursing and
# skipping lines every include (resolved, so absolute). From them the dependency file is written
# in make syntax; with EMBED the header holding the joined text is written first. The tool's own
# messages on standard error pass straight through. When anything fails, the dependency file,
# the output and the header are removed, so that neither a stale dependency file nor a partial
# output passes for a successful run.

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

# Until this run has succeeded, no dependency file may speak for it.
file(REMOVE "${QUILLFOLD_DEPFILE}" "${depfile_temporary}")

execute_process(
  COMMAND "${QUILLFOLD_TOOL}" --verbose ${QUILLFOLD_ARGUMENTS}
  WORKING_DIRECTORY "${QUILLFOLD_WORKING_DIRECTORY}"
  OUTPUT_VARIABLE report
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  fail("quillfold failed (exit status ${status}) while joining ${QUILLFOLD_OUTPUT}")
endif()

# --- dependencies -------------------------------------------------------------------------------

# A path as it goes into a make-style rule.
function(escape_for_depfile path result)
  string(REPLACE "$" "$$" path "${path}")
  string(REPLACE "#" "\\#" path "${path}")
  string(REPLACE " " "\\ " path "${path}")
  set(${result} "${path}" PARENT_SCOPE)
endfunction()

escape_for_depfile("${QUILLFOLD_DEPFILE_TARGET}" rule)
string(APPEND rule ":")
string(REPLACE "\r" "" report "${report}")
# Walked line by line with string(FIND): a list would split paths at ";" and bracket them at "[".
while(NOT report STREQUAL "")
  string(FIND "${report}" "\n" end)
  if(end EQUAL -1)
    set(line "${report}")
    set(report "")
  else()
    string(SUBSTRING "${report}" 0 ${end} line)
    math(EXPR end "${end} + 1")
    string(SUBSTRING "${report}" ${end} -1 report)
  endif()
  if(line MATCHES "^loading '(.*)' \\.\\.\\.$")
    set(read "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^ +(recursing to|skipping) '.*' \\(resolved as '(.*)'\\)$")
    set(read "${CMAKE_MATCH_2}")
  elseif(line STREQUAL "" OR line MATCHES "^Quillfold [0-9.]+ \\(built .*\\)$")
    continue()
  else()
    fail("quillfold_run.cmake: unexpected line in the tool's report: '${line}'")
  endif()
  if(CMAKE_HOST_WIN32)
    string(REPLACE "\\" "/" read "${read}")
  endif()
  if(NOT IS_ABSOLUTE "${read}")
    set(read "${QUILLFOLD_WORKING_DIRECTORY}/${read}")
  endif()
  escape_for_depfile("${read}" read)
  if(NOT DEFINED "listed ${read}")
    set("listed ${read}" TRUE)
    string(APPEND rule " \\\n  ${read}")
  endif()
endwhile()

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
file(WRITE "${depfile_temporary}" "${rule}\n")
file(RENAME "${depfile_temporary}" "${QUILLFOLD_DEPFILE}")
