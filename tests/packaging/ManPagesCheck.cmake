# SPDX-License-Identifier: GPL-3.0-or-later
# The man pages against the programs' --help texts: the roff escapes that
# keep a help line as it is, then each page the build wrote, rendered by
# groff, must read as its program's help does now. The programs are asked
# without a display, as on a build machine.
#   cmake -DGENERATOR=cmake/ManPage.cmake -DPROGRAMS="a|b" -DPAGES="a.1.gz|b.1.gz"
#         -DHELPS="--help|--lang=en,--help" -DGROFF=/usr/bin/groff -P ManPagesCheck.cmake
# HELPS holds, for each program, the words that ask it for the help its
# page was written from, joined with commas.
set(SELF_TEST ON)
include("${GENERATOR}")

set(failures "")
function(fail text)
  set(failures "${failures}\n  ${text}" PARENT_SCOPE)
endfunction()

# Lines whose characters roff would take for its own.
set(cases
    "plain words|plain words"
    "--help -h|\\-\\-help \\-h"
    "C:\\\\dir|C:\\e\\edir"
    ".TH at the start|\\&.TH at the start"
    "'quote at the start|\\&'quote at the start"
    " .indented dot| .indented dot")
foreach(c IN LISTS cases)
  string(REPLACE "|" ";" pair "${c}")
  list(GET pair 0 line)
  list(GET pair 1 expected)
  flowdesk_roff_line("${line}" got)
  if(NOT got STREQUAL expected)
    fail("roff of \"${line}\": \"${got}\", expected \"${expected}\"")
  endif()
endforeach()

# Where the sections start: the Usage line and its indented continuation
# are the synopsis, kept aligned without "Usage: ". A bracket open across
# lines and a ; are text, not list syntax, to the generator.
foreach(gap "" "\n")
  flowdesk_man_page(x 1 "s" 1 "Usage: x [A\n         B]; c\n${gap}Text.\n" "" page)
  if(NOT page MATCHES "\\.SH SYNOPSIS\n\\.nf\nx \\[A\n  B\\]; c\n\\.fi\n\\.SH DESCRIPTION\n\\.nf\nText\\.\n\\.fi\n$")
    fail("a help with a Usage line gave:\n${page}")
  endif()
endforeach()
flowdesk_man_page(x 1 "s" 1 "Only text.\n" "y" page)
if(page MATCHES "SYNOPSIS" OR NOT page MATCHES "\\.SH DESCRIPTION\n\\.nf\nOnly text\\.\n"
   OR NOT page MATCHES "\\.SH SEE ALSO\n\\.BR y \\(1\\)\n$")
  fail("a help without Usage gave:\n${page}")
endif()

if(failures)
  message(FATAL_ERROR "${failures}")
endif()
if(NOT GROFF)
  message("SKIPPED: groff is not installed (apt-get install groff-base)")
  return()
endif()

foreach(name DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM)
  unset(ENV{${name}})
endforeach()
string(REPLACE "|" ";" programs "${PROGRAMS}")
string(REPLACE "|" ";" pages "${PAGES}")
string(REPLACE "|" ";" helps "${HELPS}")
foreach(program page asked IN ZIP_LISTS programs pages helps)
  string(REPLACE "," ";" help_words "${asked}")
  execute_process(COMMAND "${program}" ${help_words} OUTPUT_VARIABLE help
                  RESULT_VARIABLE status ERROR_VARIABLE errors TIMEOUT 60)
  if(NOT status EQUAL 0)
    fail("${program} ${help_words} without a display ended with ${status}: ${errors}")
    continue()
  endif()
  # Rendered as a terminal shows it; -ww turns on every warning.
  execute_process(COMMAND gzip -dc "${page}"
                  COMMAND "${GROFF}" -man -Tutf8 -ww -P-cbou
                  OUTPUT_VARIABLE shown ERROR_VARIABLE warnings RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
    fail("${page}: groff ended with ${status}: ${warnings}")
    continue()
  endif()
  string(REGEX REPLACE "^Usage: " "" help "${help}")
  # Each help line on a line of the page.
  string(REGEX REPLACE "[ \t]+\n" "\n" shown "${shown}")
  string(REGEX REPLACE "\n$" "" help "${help}")
  string(APPEND help "\n")
  while(NOT help STREQUAL "")
    string(FIND "${help}" "\n" end)
    string(SUBSTRING "${help}" 0 ${end} line)
    math(EXPR next "${end} + 1")
    string(SUBSTRING "${help}" ${next} -1 help)
    # Indents may move (man's own, the synopsis's); the words may not.
    string(STRIP "${line}" line)
    if(line STREQUAL "")
      continue()
    endif()
    string(FIND "${shown}" " ${line}\n" at)
    if(at EQUAL -1)
      fail("${page} does not show this line of ${program} --help: \"${line}\"")
      break()
    endif()
  endwhile()
endforeach()

if(failures)
  message(FATAL_ERROR "${failures}")
endif()
