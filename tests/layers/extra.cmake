# The include test reads the layer table from CMake, where the libraries are
# linked by it, so the two can never disagree.
set(layer_table "")
foreach(layer IN LISTS FLOWDESK_LAYERS)
  list(JOIN FLOWDESK_USES_${layer} "," uses)
  string(APPEND layer_table "${layer}=${uses}|")
endforeach()
target_compile_definitions(tests_layers PRIVATE "FLOWDESK_LAYER_TABLE=\"${layer_table}\"")
