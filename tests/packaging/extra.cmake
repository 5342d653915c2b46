# SPDX-License-Identifier: GPL-3.0-or-later
# The files the Debian package adds around the programs, checked from the
# normal build as menus, software centres and man read them; building the
# package itself (scripts/package.sh) would double CI's build time. A
# missing checker skips its test and says which package provides it.
set(packaging "${PROJECT_SOURCE_DIR}/packaging")

function(flowdesk_packaging_check name tool debian_package)
  find_program(FLOWDESK_${tool}_PROGRAM ${tool})
  if(FLOWDESK_${tool}_PROGRAM)
    add_test(NAME packaging.${name} COMMAND "${FLOWDESK_${tool}_PROGRAM}" ${ARGN})
  else()
    add_test(NAME packaging.${name}
             COMMAND "${CMAKE_COMMAND}" -E echo
                     "SKIPPED: ${tool} is not installed (apt-get install ${debian_package})")
  endif()
  set_tests_properties(packaging.${name} PROPERTIES SKIP_REGULAR_EXPRESSION "SKIPPED: ")
endfunction()

flowdesk_packaging_check(desktop_entry desktop-file-validate desktop-file-utils
                         "${packaging}/flowdesk.desktop")
# Its hints end with status 0, yet one of them is an entry without a main
# category, which menus file under "Other".
set_tests_properties(packaging.desktop_entry PROPERTIES FAIL_REGULAR_EXPRESSION
                     "(error|warning|hint): ")
flowdesk_packaging_check(metainfo appstreamcli appstream validate --no-net
                         "${packaging}/org.flowdesk.flowdesk.metainfo.xml")

# The man pages the build wrote, against the --help texts they come from.
if(FLOWDESK_MAN_PAGES)
  find_program(FLOWDESK_groff_PROGRAM groff)
  set(programs "")
  set(helps "")
  foreach(program IN LISTS FLOWDESK_PACKAGED_PROGRAMS)
    list(APPEND programs "$<TARGET_FILE:${program}>")
    list(APPEND helps "${FLOWDESK_MAN_HELP_${program}}")
  endforeach()
  # Joined with | : a ; would split the argument on its way to the test.
  list(JOIN programs "|" programs)
  list(JOIN helps "|" helps)
  list(JOIN FLOWDESK_MAN_PAGES "|" pages)
  add_test(NAME packaging.man_pages
           COMMAND "${CMAKE_COMMAND}" "-DGENERATOR=${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake"
                   "-DPROGRAMS=${programs}" "-DPAGES=${pages}" "-DHELPS=${helps}"
                   "-DGROFF=${FLOWDESK_groff_PROGRAM}"
                   -P "${CMAKE_CURRENT_LIST_DIR}/ManPagesCheck.cmake")
  set_tests_properties(packaging.man_pages PROPERTIES SKIP_REGULAR_EXPRESSION "SKIPPED: ")
endif()
