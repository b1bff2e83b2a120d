# libCalib.so: what the line's sibling programs link. It exports exactly the public API
# (GetCalibArray and GetTrueDat with C linkage, the classes cClientLED and CHardWare); everything
# else is hidden, standard-library instantiations included (version script).
#
# The exported units are compiled here with the library's visibility; what they use comes from the
# static subsystem libraries.
add_library(CalibLib SHARED
  ${CMAKE_CURRENT_LIST_DIR}/calib/WMATH.cpp
  ${CMAKE_CURRENT_LIST_DIR}/calib/CalibList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/calib/CalibConfigDir.cpp
  ${CMAKE_CURRENT_LIST_DIR}/device/HardWare.cpp)
add_library(Calib::Calib ALIAS CalibLib)
kova_warnings(CalibLib)
set_target_properties(CalibLib PROPERTIES
  OUTPUT_NAME Calib
  EXPORT_NAME Calib
  VERSION ${PROJECT_VERSION}
  SOVERSION ${PROJECT_VERSION_MAJOR}
  C_VISIBILITY_PRESET hidden
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON
  LINK_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/calib/libCalib.map)
target_compile_definitions(CalibLib PRIVATE CALIB_BUILDING_LIBRARY)
# The conversion rounds where its formulas say and nowhere else: a fused multiply-add would give
# other digits than the line's programs get.
target_compile_options(CalibLib PRIVATE -ffp-contract=off)
target_include_directories(CalibLib
  PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
         $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>
  PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(CalibLib PRIVATE kova_device kova_platform)
target_link_options(CalibLib PRIVATE
  "LINKER:--version-script=${CMAKE_CURRENT_LIST_DIR}/calib/libCalib.map")
if(NOT KOVA_SANITIZE)
  target_link_options(CalibLib PRIVATE "LINKER:--no-undefined")
endif()
if(TARGET kova_led)
  # The LED client is all public API; its objects are pulled in whole.
  target_link_libraries(CalibLib PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,kova_led>")
endif()

# Installation: the library, the public headers, a CMake package and a pkg-config file, all in the
# component "calib" (cmake --install <build> --component calib).
include(CMakePackageConfigHelpers)
install(TARGETS CalibLib EXPORT CalibTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT calib NAMELINK_COMPONENT calib
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
file(GLOB calib_public_headers ${PROJECT_SOURCE_DIR}/include/calib/*.h)
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
