# Source lists are found by folder, never repeated: everything outside a qt/
# folder under the subsystem folders is core (no Qt), everything inside is the
# Qt layer. Programs keep their main() in main.cpp, which no library takes.
set(FLOWDESK_SUBSYSTEMS base app link measure logger config echo files)

function(flowdesk_collect out_core out_qt)
  set(core "")
  set(qt "")
  foreach(sub IN LISTS FLOWDESK_SUBSYSTEMS)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS
         "${PROJECT_SOURCE_DIR}/src/${sub}/*.cpp"
         "${PROJECT_SOURCE_DIR}/src/${sub}/*.h"
         "${PROJECT_SOURCE_DIR}/src/${sub}/*.ui"
         "${PROJECT_SOURCE_DIR}/src/${sub}/*.qrc")
    foreach(f IN LISTS found)
      get_filename_component(name "${f}" NAME)
      if(name STREQUAL "main.cpp")
        continue()
      endif()
      if(f MATCHES "/qt/")
        list(APPEND qt "${f}")
      else()
        list(APPEND core "${f}")
      endif()
    endforeach()
  endforeach()
  set(${out_core} "${core}" PARENT_SCOPE)
  set(${out_qt} "${qt}" PARENT_SCOPE)
endfunction()
