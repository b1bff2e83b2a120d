# kova_library(<folder> SOURCES ... [API ...] [USES ...] [QT])
# One folder of src/, one static, position-independent library kova_<folder> (a subfolder such as
# pages/logic becomes kova_pages_logic). USES are the libraries below it that it includes.
# API names the units that are also libCalib.so's public API: they compile once, into the object
# library kova_<folder>_api with hidden visibility, whose objects go both into kova_<folder> and
# into libCalib.so. QT builds the folder's windows (automoc on); such a folder exists only with
# the GUI.
function(kova_library folder)
  cmake_parse_arguments(L "QT" "" "SOURCES;API;USES" ${ARGN})
  string(REPLACE "/" "_" name "kova_${folder}")
  if(L_QT AND NOT KOVA_GUI)
    return()
  endif()
  add_library(${name} STATIC ${L_SOURCES})
  kova_warnings(${name})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/include)
  target_link_libraries(${name} PUBLIC ${L_USES})
  set_target_properties(${name} PROPERTIES AUTOMOC ${L_QT})
  if(L_API)
    add_library(${name}_api OBJECT ${L_API})
    kova_warnings(${name}_api)
    target_include_directories(${name}_api PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/include)
    target_link_libraries(${name}_api PUBLIC ${L_USES})
    target_compile_definitions(${name}_api PRIVATE CALIB_BUILDING_LIBRARY)
    set_target_properties(${name}_api PROPERTIES
      AUTOMOC OFF
      C_VISIBILITY_PRESET hidden
      CXX_VISIBILITY_PRESET hidden
      VISIBILITY_INLINES_HIDDEN ON)
    target_sources(${name} PRIVATE $<TARGET_OBJECTS:${name}_api>)
    set_property(GLOBAL APPEND PROPERTY KOVA_API_LIBRARIES ${name}_api)
  endif()
endfunction()
