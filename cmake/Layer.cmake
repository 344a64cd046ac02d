# ombrixdc_add_layer(NAME DIR LIBS...): a static library of every .cpp file in DIR
# (header-only while DIR holds none).
function(ombrixdc_add_layer name dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# ombrixdc_add_test_dir(NAME DIR LIBS...): one GoogleTest executable of every .cpp in DIR; its
# tests carry the label NAME (`ctest -L NAME`).
function(ombrixdc_add_test_dir name dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  # Fixtures are found by absolute path, whatever folder the tests are started from.
  target_compile_definitions(${name} PRIVATE OMBRIXDC_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT ${OMBRIXDC_TEST_TIMEOUT}
    LABELS ${name})
endfunction()
