# SPDX-License-Identifier: GPL-3.0-or-later
# Printing at 200 % screen scaling: the print tests again with Qt scaling
# every window by two, where a window's snapshot holds twice its pixels each
# way and the printout must still be as large as at 100 %.
if(TARGET tests_base_qt)
  add_test(NAME base.print_at_200_percent
           COMMAND tests_base_qt --gtest_filter=WindowPrinterTest.*)
  set_tests_properties(base.print_at_200_percent PROPERTIES
    TIMEOUT 120 ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_SCALE_FACTOR=2")
endif()
