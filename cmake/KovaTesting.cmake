# kova_add_test(NAME name SOURCES ... [LIBS ...] [GUI] [FILTER gtest-filter])
# One test executable per folder; tests are discovered at test time so that a sanitizer
# build does not run them while building. GUI tests get the label "gui", the others "core".
# FILTER leaves out of discovery the tests that a test entry of their own runs. Every test links
# the support of tests/support; a GUI test also gets its one headless QApplication and the dialogs
# recorder from there.
function(kova_add_test)
  cmake_parse_arguments(T "GUI" "NAME;FILTER" "SOURCES;LIBS" ${ARGN})
  if(T_GUI AND NOT KOVA_GUI)
    return()
  endif()
  find_package(GTest REQUIRED)
  if(T_GUI)
    list(APPEND T_SOURCES ${PROJECT_SOURCE_DIR}/tests/support/QtTestEnvironment.cpp)
    list(APPEND T_LIBS kova_test_support_gui Qt6::Test)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  kova_warnings(${T_NAME})
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} kova_test_support
    GTest::gmock GTest::gtest GTest::gtest_main Threads::Threads)
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(T_GUI)
    set(label gui)
  else()
    set(label core)
  endif()
  set(filter)
  if(T_FILTER)
    set(filter TEST_FILTER "${T_FILTER}")
  endif()
  gtest_discover_tests(${T_NAME}
    ${filter}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${label} ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KOVA_BUILD_DIR=${CMAKE_BINARY_DIR}")
endfunction()
include(GoogleTest)
