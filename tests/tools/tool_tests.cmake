# tovral-tool info, render and mkmap, run as a user runs them.
add_executable(map_tool_tests
  ${CMAKE_CURRENT_LIST_DIR}/map_tool_test.cpp
  ${PROJECT_SOURCE_DIR}/tests/mapdata/map_test_support.cpp
  ${PROJECT_SOURCE_DIR}/tests/mapdata/gui_test_main.cpp
)
target_include_directories(map_tool_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/mapdata)
target_link_libraries(map_tool_tests PRIVATE tovral_writers GTest::gtest)
target_compile_definitions(map_tool_tests PRIVATE TOVRAL_TOOL="$<TARGET_FILE:tovral-tool>")
add_dependencies(map_tool_tests tovral-tool)
set_target_properties(map_tool_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TOVRAL_TEST_OUTPUT})
include(GoogleTest)
gtest_discover_tests(map_tool_tests DISCOVERY_MODE PRE_TEST
  PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
