# libCalib.so: what the line's sibling programs link. It exports exactly the public API
# (GetCalibArray and GetTrueDat with C linkage, the classes cClientLED and CHardWare); everything
# else is hidden, standard-library instantiations included (version script).
#
# The exported units are compiled once (the kova_*_api object libraries, hidden visibility) and
# their objects are the same ones the static core holds; what they use comes from the static
# libraries below them. Our own programs never load this library.
get_property(calib_api_libraries GLOBAL PROPERTY KOVA_API_LIBRARIES)
add_library(CalibLib SHARED)
foreach(api IN LISTS calib_api_libraries)
  target_sources(CalibLib PRIVATE $<TARGET_OBJECTS:${api}>)
endforeach()
add_library(Calib::Calib ALIAS CalibLib)
set_target_properties(CalibLib PROPERTIES
  OUTPUT_NAME Calib
  EXPORT_NAME Calib
  VERSION ${PROJECT_VERSION}
  SOVERSION ${PROJECT_VERSION_MAJOR}
  LINKER_LANGUAGE CXX
  LINK_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/calib/libCalib.map)
target_include_directories(CalibLib INTERFACE
  $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
target_link_libraries(CalibLib PRIVATE kova_device kova_platform)
target_link_options(CalibLib PRIVATE
  "LINKER:--version-script=${CMAKE_CURRENT_LIST_DIR}/calib/libCalib.map")
if(NOT KOVA_SANITIZE)
  target_link_options(CalibLib PRIVATE "LINKER:--no-undefined")
endif()

# Installation: the library, the public headers, a CMake package and a pkg-config file, all in the
# component "calib" (cmake --install <build> --component calib).
include(CMakePackageConfigHelpers)
install(TARGETS CalibLib EXPORT CalibTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT calib NAMELINK_COMPONENT calib
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
set(calib_public_headers
  ${PROJECT_SOURCE_DIR}/include/calib/Calib.h
  ${PROJECT_SOURCE_DIR}/include/calib/ClientLED.h
  ${PROJECT_SOURCE_DIR}/include/calib/Export.h
  ${PROJECT_SOURCE_DIR}/include/calib/HardWare.h)
install(FILES ${calib_public_headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/calib COMPONENT calib)

set(calib_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Calib)
install(EXPORT CalibTargets NAMESPACE Calib:: DESTINATION ${calib_cmake_dir} COMPONENT calib)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/CalibConfig.cmake.in
  ${CMAKE_BINARY_DIR}/package/CalibConfig.cmake INSTALL_DESTINATION ${calib_cmake_dir})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/package/CalibConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/package/CalibConfig.cmake
              ${CMAKE_BINARY_DIR}/package/CalibConfigVersion.cmake
  DESTINATION ${calib_cmake_dir} COMPONENT calib)

# calib.pc finds its prefix relative to itself, so a staged or moved installation works.
set(calib_pc_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
if(IS_ABSOLUTE ${CMAKE_INSTALL_LIBDIR})
  set(CALIB_PC_PREFIX "")
  set(CALIB_PC_LIBDIR ${CMAKE_INSTALL_LIBDIR})
else()
  file(RELATIVE_PATH CALIB_PC_PREFIX /prefix/${calib_pc_dir} /prefix)
  string(REGEX REPLACE "/$" "" CALIB_PC_PREFIX "${CALIB_PC_PREFIX}")
  set(CALIB_PC_LIBDIR "\${prefix}/${CMAKE_INSTALL_LIBDIR}")
endif()
if(IS_ABSOLUTE ${CMAKE_INSTALL_INCLUDEDIR})
  set(CALIB_PC_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR})
else()
  set(CALIB_PC_INCLUDEDIR "\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}")
endif()
configure_file(${PROJECT_SOURCE_DIR}/cmake/calib.pc.in ${CMAKE_BINARY_DIR}/package/calib.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/package/calib.pc DESTINATION ${calib_pc_dir} COMPONENT calib)
