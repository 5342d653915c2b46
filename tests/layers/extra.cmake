# SPDX-License-Identifier: GPL-3.0-or-later
# The include test reads the layer table from CMake, where the libraries are
# linked by it, and the peers each test binary links, so neither can
# disagree with what is built.
set(layer_table "")
set(test_peers "")
foreach(layer IN LISTS FLOWDESK_LAYERS)
  list(JOIN FLOWDESK_USES_${layer} "," uses)
  string(APPEND layer_table "${layer}=${uses}|")
  foreach(kind "" _qt)
    if(FLOWDESK_TEST_PEERS_${layer}${kind})
      list(JOIN FLOWDESK_TEST_PEERS_${layer}${kind} "," peers)
      string(APPEND test_peers "${layer}${kind}=${peers}|")
    endif()
  endforeach()
endforeach()
target_compile_definitions(tests_layers PRIVATE "FLOWDESK_LAYER_TABLE=\"${layer_table}\""
                                                "FLOWDESK_TEST_PEERS=\"${test_peers}\"")
