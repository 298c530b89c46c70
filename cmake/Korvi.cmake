# One library per folder: every .cpp in the folder belongs to it, so adding a unit is adding a file.
function(korvi_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC ${sources} ${headers})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# One test executable per folder of tests/, registered with ctest as one test per case group.
function(korvi_test_folder name)
  cmake_parse_arguments(ARG "" "FILTER" "DEPS" ${ARGN})
  if(NOT ARG_FILTER)
    set(ARG_FILTER "*")
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE korvi_test_support ${ARG_DEPS} GTest::gtest GTest::gmock Qt6::Test)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    TEST_FILTER "${ARG_FILTER}"
    PROPERTIES ENVIRONMENT "LANG=C.UTF-8;QT_QPA_PLATFORM=offscreen;KORVI_SOURCE_DIR=${PROJECT_SOURCE_DIR};KORVI_BINARY_DIR=${PROJECT_BINARY_DIR}")
endfunction()
