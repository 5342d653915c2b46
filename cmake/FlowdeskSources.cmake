# SPDX-License-Identifier: GPL-3.0-or-later
# The layer table: a folder of src/ is a layer, and each may use only the
# folders listed for it (dependencies go down only). This is the one place
# the table is written: the libraries below link by it, and the include test
# (tests/layers) checks every #include of src/, tests/, bench/ and fuzz/
# against it.
set(FLOWDESK_LAYERS base link files measure logger config echo report app cli unit)
set(FLOWDESK_USES_base "")
set(FLOWDESK_USES_link base)
set(FLOWDESK_USES_files base link)
set(FLOWDESK_USES_measure base link files)
set(FLOWDESK_USES_logger base link files)
set(FLOWDESK_USES_config base link files)
set(FLOWDESK_USES_echo base link files)
set(FLOWDESK_USES_report base link files measure config echo)
set(FLOWDESK_USES_app base link files measure logger config echo report)
set(FLOWDESK_USES_cli base link files measure logger config echo report)
set(FLOWDESK_USES_unit base link)

# Sources are found by folder, never listed: in src/<layer>/, files outside
# qt/ are core (standard C++ and POSIX, no Qt); files in qt/core/ need Qt Core
# alone (the command-line tool links them without a display); the rest of
# qt/ is the Qt Widgets layer. Programs keep their main() in main.cpp, which
# no library takes.
function(flowdesk_collect layer out_core out_qtcore out_qt)
  file(GLOB_RECURSE found CONFIGURE_DEPENDS
       "${PROJECT_SOURCE_DIR}/src/${layer}/*.cpp"
       "${PROJECT_SOURCE_DIR}/src/${layer}/*.h"
       "${PROJECT_SOURCE_DIR}/src/${layer}/*.ui"
       "${PROJECT_SOURCE_DIR}/src/${layer}/*.qrc")
  set(core "")
  set(qtcore "")
  set(qt "")
  foreach(f IN LISTS found)
    get_filename_component(name "${f}" NAME)
    if(name STREQUAL "main.cpp")
      continue()
    endif()
    if(f MATCHES "/${layer}/qt/core/")
      list(APPEND qtcore "${f}")
    elseif(f MATCHES "/${layer}/qt/")
      list(APPEND qt "${f}")
    else()
      list(APPEND core "${f}")
    endif()
  endforeach()
  set(${out_core} "${core}" PARENT_SCOPE)
  set(${out_qtcore} "${qtcore}" PARENT_SCOPE)
  set(${out_qt} "${qt}" PARENT_SCOPE)
endfunction()

# A library per layer and kind: flowdesk_<layer> (core), flowdesk_<layer>_qtcore
# and flowdesk_<layer>_qt, each linking the same kind of the layers it uses.
# A layer without sources of a kind still gets an (empty) interface library,
# so that callers need not know which layers have which kinds.
function(flowdesk_add_layer layer)
  flowdesk_collect(${layer} core qtcore qt)
  set(lib flowdesk_${layer})
  if(core)
    add_library(${lib} STATIC ${core})
    set(scope PUBLIC)
  else()
    add_library(${lib} INTERFACE)
    set(scope INTERFACE)
  endif()
  target_include_directories(${lib} ${scope}
    "${PROJECT_SOURCE_DIR}/src" "${PROJECT_BINARY_DIR}/src/generated")
  foreach(dep IN LISTS FLOWDESK_USES_${layer})
    target_link_libraries(${lib} ${scope} flowdesk_${dep})
  endforeach()
  set_property(GLOBAL APPEND PROPERTY FLOWDESK_CORE_LIBRARIES ${lib})

  set(kinds qtcore)
  if(FLOWDESK_GUI)
    list(APPEND kinds qt)
  endif()
  foreach(kind IN LISTS kinds)
    set(klib flowdesk_${layer}_${kind})
    if(${kind})
      add_library(${klib} STATIC ${${kind}})
      set_target_properties(${klib} PROPERTIES AUTOMOC ON AUTOUIC ON AUTORCC ON)
      set(kscope PUBLIC)
    else()
      add_library(${klib} INTERFACE)
      set(kscope INTERFACE)
    endif()
    target_link_libraries(${klib} ${kscope} ${lib})
    foreach(dep IN LISTS FLOWDESK_USES_${layer})
      target_link_libraries(${klib} ${kscope} flowdesk_${dep}_${kind})
    endforeach()
    if(kind STREQUAL "qt")
      target_link_libraries(${klib} ${kscope} flowdesk_${layer}_qtcore Qt6::Widgets
                            Qt6::PrintSupport)
    else()
      target_link_libraries(${klib} ${kscope} Qt6::Core)
    endif()
  endforeach()
endfunction()

# What the tests, the benchmarks and the fuzz targets share and the programs
# must never hold: the in-memory serial line and the manual clock, compiled
# once from tests/support/ (its other files are headers, and the Qt tests'
# main(), which each Qt test binary takes itself). Core code like the layers
# it sits on: standard C++ and POSIX, no Qt. Included as "support/...".
function(flowdesk_add_test_support)
  file(GLOB found CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/tests/support/*.cpp")
  list(FILTER found EXCLUDE REGEX "/QtTestMain\\.cpp$")
  add_library(flowdesk_test_support STATIC ${found})
  target_include_directories(flowdesk_test_support PUBLIC "${PROJECT_SOURCE_DIR}/tests")
  target_link_libraries(flowdesk_test_support PUBLIC flowdesk_link)
endfunction()
