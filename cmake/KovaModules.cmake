# kova_module(<name> SOURCES ... [DIRECTORY dir] [OUTPUT_NAME name] [DEFINITIONS ...] [LIBS ...]
#             [NO_SANITIZE])
# A component module loaded by path at run time: no "lib" prefix, only its entry points visible,
# its own copy of what it links kept from binding to the host's. It lands in DIRECTORY (default:
# the build tree's system directory, lib/kova). NO_SANITIZE builds a module that faults on purpose
# without the sanitizers, so that the fault reaches the guarded call. Every module's target is
# listed in the global property KOVA_MODULES, for the tests that check them all.
function(kova_module name)
  cmake_parse_arguments(M "NO_SANITIZE" "DIRECTORY;OUTPUT_NAME" "SOURCES;DEFINITIONS;LIBS" ${ARGN})
  add_library(${name} MODULE ${M_SOURCES})
  set_property(GLOBAL APPEND PROPERTY KOVA_MODULES ${name})
  kova_warnings(${name})
  if(NOT M_DIRECTORY)
    set(M_DIRECTORY ${KOVA_SYSTEM_DIR})
  endif()
  if(NOT M_OUTPUT_NAME)
    set(M_OUTPUT_NAME ${name})
  endif()
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    OUTPUT_NAME ${M_OUTPUT_NAME}
    LIBRARY_OUTPUT_DIRECTORY ${M_DIRECTORY}
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  target_compile_definitions(${name} PRIVATE ${M_DEFINITIONS})
  target_link_libraries(${name} PRIVATE ${M_LIBS})
  target_link_options(${name} PRIVATE -Wl,--exclude-libs,ALL -Wl,-Bsymbolic)
  if(M_NO_SANITIZE AND KOVA_SANITIZE)
    target_compile_options(${name} PRIVATE -fno-sanitize=all)
    target_link_options(${name} PRIVATE -fno-sanitize=all)
  endif()
endfunction()
