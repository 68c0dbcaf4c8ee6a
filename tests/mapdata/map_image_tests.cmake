# Map picture file, its renderer and page placement; the JPEG codec; the .map writer.
add_executable(tovral_map_image_tests
  ${CMAKE_CURRENT_LIST_DIR}/map_test_support.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jpeg_codec_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/map_load_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/map_render_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/map_print_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gui_test_main.cpp
)
target_link_libraries(tovral_map_image_tests PRIVATE tovral_mapdata tovral_writers GTest::gtest)
set_target_properties(tovral_map_image_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TOVRAL_TEST_OUTPUT})
include(GoogleTest)
gtest_discover_tests(tovral_map_image_tests DISCOVERY_MODE PRE_TEST
  PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
