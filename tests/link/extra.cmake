# SPDX-License-Identifier: GPL-3.0-or-later
# Interoperability with an independent Modbus RTU slave (pymodbus on a socat
# pty pair). The program is built here rather than in tests_link: it only
# makes sense with the slave running, which the script arranges.
add_executable(link_pymodbus_interop "${CMAKE_CURRENT_LIST_DIR}/interop/PymodbusInteropTest.cpp")
target_link_libraries(link_pymodbus_interop PRIVATE flowdesk_core GTest::gtest GTest::gtest_main)
target_include_directories(link_pymodbus_interop PRIVATE "${CMAKE_CURRENT_SOURCE_DIR}")
add_test(NAME link.pymodbus_interop
         COMMAND "${CMAKE_CURRENT_LIST_DIR}/run_pymodbus_interop.sh"
                 "$<TARGET_FILE:link_pymodbus_interop>")
set_tests_properties(link.pymodbus_interop PROPERTIES TIMEOUT 120)
