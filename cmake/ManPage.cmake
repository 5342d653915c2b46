# SPDX-License-Identifier: GPL-3.0-or-later
# Writes a program's man page from its own --help text, so the page says
# what the program says and cannot fall behind it. Run at build time:
#   cmake -DPROGRAM=path -DNAME=flowdesk-cli -DSUMMARY="one line" -DVERSION=0.1.0
#         -DOUTPUT=flowdesk-cli.1.gz [-DSEE_ALSO="a|b"] [-DHELP="--lang=en,--help"]
#         -P ManPage.cmake
# HELP is what asks the program for its help text, words joined with commas
# (default --help).
# With -DSELF_TEST=ON it only checks its own conversion (see the tests).
#
# The help text goes into the page as it is printed (no filling), so its
# columns stay aligned; roff only needs its own characters escaped. A first
# line starting with "Usage: ", and the indented lines that continue it,
# become the SYNOPSIS.

# One line of help as roff: backslashes first (the other escapes add some),
# every minus as \- so an option copied from the page is still an option
# (groff would print a hyphen), and a leading . or ' kept from being read as
# a request.
function(flowdesk_roff_line line out)
  string(REPLACE "\\" "\\e" line "${line}")
  string(REPLACE "-" "\\-" line "${line}")
  if(line MATCHES "^[.']")
    set(line "\\&${line}")
  endif()
  set(${out} "${line}" PARENT_SCOPE)
endfunction()

# The whole page from the help text.
function(flowdesk_man_page name section summary version help see_also out)
  # Line by line without CMake lists: a help text's ; and unbalanced [ ]
  # would split or join list items.
  if(NOT help MATCHES "[^ \t\n]")
    message(FATAL_ERROR "${name}: the help text is empty")
  endif()
  string(REGEX REPLACE "\n$" "" help "${help}")
  string(APPEND help "\n")
  string(TOUPPER "${name}" title)
  string(REPLACE "-" "\\-" roff_name "${name}")
  flowdesk_roff_line("${summary}" roff_summary)
  set(page ".TH \"${title}\" \"${section}\" \"\" \"flowdesk ${version}\" \"User Commands\"\n")
  string(APPEND page ".SH NAME\n${roff_name} \\- ${roff_summary}\n")
  set(part "")
  set(first TRUE)
  while(NOT help STREQUAL "")
    string(FIND "${help}" "\n" end)
    string(SUBSTRING "${help}" 0 ${end} line)
    math(EXPR next "${end} + 1")
    string(SUBSTRING "${help}" ${next} -1 help)
    if(first AND line MATCHES "^Usage: (.*)$")
      string(APPEND page ".SH SYNOPSIS\n.nf\n")
      set(line "${CMAKE_MATCH_1}")
      set(part synopsis)
    elseif(first)
      string(APPEND page ".SH DESCRIPTION\n.nf\n")
      set(part description)
    elseif(part STREQUAL "synopsis" AND line MATCHES "^ ")
      # A continued usage line was aligned under the text after "Usage: ".
      string(REGEX MATCH "^ +" indent "${line}")
      string(LENGTH "${indent}" drop)
      if(drop GREATER 7)
        set(drop 7)
      endif()
      string(SUBSTRING "${line}" ${drop} -1 line)
    elseif(part STREQUAL "synopsis")
      string(APPEND page ".fi\n.SH DESCRIPTION\n.nf\n")
      set(part description)
      if(line STREQUAL "")
        continue()
      endif()
    endif()
    set(first FALSE)
    flowdesk_roff_line("${line}" line)
    string(APPEND page "${line}\n")
  endwhile()
  string(APPEND page ".fi\n")
  if(see_also)
    set(refs "")
    foreach(other IN LISTS see_also)
      string(REPLACE "-" "\\-" other "${other}")
      list(APPEND refs ".BR ${other} (1)")
    endforeach()
    list(JOIN refs ",\n" refs)
    string(APPEND page ".SH SEE ALSO\n${refs}\n")
  endif()
  set(${out} "${page}" PARENT_SCOPE)
endfunction()

if(SELF_TEST)
  return()
endif()

foreach(required PROGRAM NAME SUMMARY VERSION OUTPUT)
  if(NOT DEFINED ${required} OR "${${required}}" STREQUAL "")
    message(FATAL_ERROR "ManPage.cmake: -D${required}=... is missing")
  endif()
endforeach()

# flowdesk answers --help before it looks for a display; offscreen is set
# anyway so that no build machine's desktop is ever touched. A sanitizer
# build's leak report at exit must not fail the build.
set(ENV{QT_QPA_PLATFORM} offscreen)
set(ENV{ASAN_OPTIONS} "detect_leaks=0")
if(NOT HELP)
  set(HELP "--help")
endif()
string(REPLACE "," ";" help_words "${HELP}")
execute_process(COMMAND "${PROGRAM}" ${help_words}
                OUTPUT_VARIABLE help ERROR_VARIABLE errors RESULT_VARIABLE status
                TIMEOUT 60)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} ${help_words} ended with ${status}: ${errors}")
endif()
string(REPLACE "|" ";" see_also "${SEE_ALSO}")
flowdesk_man_page("${NAME}" 1 "${SUMMARY}" "${VERSION}" "${help}" "${see_also}" page)

# Gzipped without name or time stamp (-n), as Debian installs man pages, so
# the same help text always gives the same bytes.
string(REGEX REPLACE "\\.gz$" "" plain "${OUTPUT}")
file(WRITE "${plain}" "${page}")
execute_process(COMMAND gzip -9nf "${plain}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip could not compress ${plain}")
endif()
