# SPDX-License-Identifier: GPL-3.0-or-later
# The virtual unit against an independent Modbus master.
if(TARGET flowdesk-unit)
  find_program(FLOWDESK_MBPOLL mbpoll)
  add_test(NAME unit_mbpoll
           COMMAND bash "${CMAKE_CURRENT_LIST_DIR}/mbpoll_test.sh"
                   "$<TARGET_FILE:flowdesk-unit>" "${FLOWDESK_MBPOLL}")
  set_tests_properties(unit_mbpoll PROPERTIES TIMEOUT 60 SKIP_RETURN_CODE 77)
endif()
