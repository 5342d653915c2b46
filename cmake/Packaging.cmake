# SPDX-License-Identifier: GPL-3.0-or-later
# What `cmake --install` and the Debian package hold: the three programs,
# their man pages, the desktop entry with its icon, the AppStream metadata
# and the notes on serial access. Tests, benchmarks and fuzz targets are
# never installed: only the targets named here are.
include(GNUInstallDirs)

set(FLOWDESK_PACKAGED_PROGRAMS "")
foreach(program flowdesk flowdesk-cli flowdesk-unit)
  if(TARGET ${program})
    list(APPEND FLOWDESK_PACKAGED_PROGRAMS ${program})
  endif()
endforeach()
install(TARGETS ${FLOWDESK_PACKAGED_PROGRAMS} RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")

# Each man page is the program's own --help text in roff, remade whenever
# the program is rebuilt (cmake/ManPage.cmake), so the two cannot disagree.
# A cross build cannot run its programs: it goes without man pages.
set(FLOWDESK_MAN_SUMMARY_flowdesk "desktop companion for ultrasonic transit-time flowmeters")
set(FLOWDESK_MAN_SUMMARY_flowdesk-cli
    "talk to an ultrasonic flowmeter and read its files from a shell")
set(FLOWDESK_MAN_SUMMARY_flowdesk-unit "a virtual ultrasonic flowmeter on a pseudo-terminal")
# The words that ask each program for its help, joined with commas.
# flowdesk-cli speaks the language saved in the user's settings: its page is
# asked for in English, whatever the build machine has saved.
set(FLOWDESK_MAN_HELP_flowdesk "--help")
set(FLOWDESK_MAN_HELP_flowdesk-cli "--lang=en,--help")
set(FLOWDESK_MAN_HELP_flowdesk-unit "--help")
set(FLOWDESK_MAN_PAGES "")
if(NOT CMAKE_CROSSCOMPILING)
  foreach(program IN LISTS FLOWDESK_PACKAGED_PROGRAMS)
    set(page "${PROJECT_BINARY_DIR}/man/${program}.1.gz")
    set(others ${FLOWDESK_PACKAGED_PROGRAMS})
    list(REMOVE_ITEM others ${program})
    list(JOIN others "|" others)  # a ; would split the argument
    add_custom_command(
      OUTPUT "${page}"
      COMMAND "${CMAKE_COMMAND}" "-DPROGRAM=$<TARGET_FILE:${program}>" "-DNAME=${program}"
              "-DSUMMARY=${FLOWDESK_MAN_SUMMARY_${program}}" "-DVERSION=${PROJECT_VERSION}"
              "-DSEE_ALSO=${others}" "-DOUTPUT=${page}" "-DHELP=${FLOWDESK_MAN_HELP_${program}}"
              -P "${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake"
      DEPENDS ${program} "${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake"
      COMMENT "Writing the man page of ${program} from its --help"
      VERBATIM)
    list(APPEND FLOWDESK_MAN_PAGES "${page}")
  endforeach()
  add_custom_target(flowdesk_man_pages ALL DEPENDS ${FLOWDESK_MAN_PAGES})
  install(FILES ${FLOWDESK_MAN_PAGES} DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
endif()

set(packaging "${PROJECT_SOURCE_DIR}/packaging")
if(TARGET flowdesk)
  install(FILES "${packaging}/flowdesk.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
  install(FILES "${packaging}/org.flowdesk.flowdesk.metainfo.xml"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
  # The menu's icon is the picture the main window and the About box show.
  install(FILES "${PROJECT_SOURCE_DIR}/src/base/qt/resources/pictures/icon130.svg"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps" RENAME flowdesk.svg)
endif()
# The udev rule is an example to copy, not an active rule: see the file.
install(FILES "${packaging}/README.Debian" DESTINATION "${CMAKE_INSTALL_DOCDIR}")
install(FILES "${packaging}/60-flowdesk.rules" DESTINATION "${CMAKE_INSTALL_DOCDIR}/examples")

# The licence and the history, where Debian keeps them for every package:
# the machine-readable copyright file and, flowdesk being its own upstream
# (a native package), changelog.gz, gzipped without a name or time stamp.
# The maintainer and the copyright line come from CMakeLists.txt, and the
# changelog's newest entry must be the version being built.
set(packaged_docs "${PROJECT_BINARY_DIR}/packaging")
configure_file("${packaging}/copyright.in" "${packaged_docs}/copyright" @ONLY)
configure_file("${packaging}/changelog.in" "${packaged_docs}/changelog" @ONLY)
file(STRINGS "${packaged_docs}/changelog" newest LIMIT_COUNT 1)
if(NOT newest MATCHES "^flowdesk \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog.in begins with \"${newest}\": "
                      "its newest entry must be version ${PROJECT_VERSION}")
endif()
execute_process(COMMAND gzip -9nf "${packaged_docs}/changelog" RESULT_VARIABLE gzipped)
if(NOT gzipped EQUAL 0)
  message(FATAL_ERROR "gzip could not compress ${packaged_docs}/changelog")
endif()
install(FILES "${packaged_docs}/copyright" "${packaged_docs}/changelog.gz"
        DESTINATION "${CMAKE_INSTALL_DOCDIR}")
# What lintian reports and is kept on purpose, each with why.
install(FILES "${packaging}/lintian-overrides" DESTINATION "${CMAKE_INSTALL_DATADIR}/lintian/overrides"
        RENAME flowdesk)

# The Debian package: scripts/package.sh builds it (cpack in a Release build).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME flowdesk)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "${FLOWDESK_COMPANY_NAME}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "companion for ultrasonic transit-time flowmeters")
set(CPACK_PACKAGE_DESCRIPTION
    "flowdesk talks to an ultrasonic transit-time flowmeter over its serial line
(Jbus, that is Modbus RTU) through a USB or RS-485 adapter: it finds the unit,
shows and records its measurements, edits its configurations, downloads its
data logger and shows its echo pictures; its files can be opened, printed,
plotted and converted without a unit.
The package holds the desktop program flowdesk, flowdesk-cli for the same
work from a shell, and flowdesk-unit, a virtual flowmeter on a
pseudo-terminal to try everything without hardware.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${FLOWDESK_MAINTAINER}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps lists the libraries the programs link; Qt's display
# plugins are loaded at run time, so no link names them, and Debian's Qt
# only recommends them: without them the window cannot open.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Qt's own dialogs in French (the program's first language), and man-db for
# `man flowdesk`: a minimal Debian has no man command.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, man-db")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${packaging}/postinst")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
