# Catalogue comparison and readers, name helpers, display probe, reference points.
add_executable(tovral_mapdata_tests
  ${CMAKE_CURRENT_LIST_DIR}/catalogue_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/names_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/coordinates_test.cpp
)
target_link_libraries(tovral_mapdata_tests PRIVATE tovral_mapdata tovral_writers GTest::gtest_main)
set_target_properties(tovral_mapdata_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TOVRAL_TEST_OUTPUT})
include(GoogleTest)
gtest_discover_tests(tovral_mapdata_tests DISCOVERY_MODE PRE_TEST)
