# Catalogue comparison and readers, name helpers, display probe, reference points.
add_executable(tovral_utils_tests
  ${CMAKE_CURRENT_LIST_DIR}/catalogue_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/names_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/coordinates_test.cpp
)
target_link_libraries(tovral_utils_tests PRIVATE tovral_utils tovral_writers GTest::gtest_main)
set_target_properties(tovral_utils_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TOVRAL_TEST_OUTPUT})
include(GoogleTest)
gtest_discover_tests(tovral_utils_tests DISCOVERY_MODE PRE_TEST)
