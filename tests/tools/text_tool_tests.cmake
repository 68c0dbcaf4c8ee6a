# tovral-tool locate and distance, run as a user runs them.
add_executable(text_tool_tests ${CMAKE_CURRENT_LIST_DIR}/text_tool_test.cpp)
target_link_libraries(text_tool_tests PRIVATE tovral_writers Qt6::Core GTest::gtest_main)
target_compile_definitions(text_tool_tests PRIVATE TOVRAL_TOOL="$<TARGET_FILE:tovral-tool>")
add_dependencies(text_tool_tests tovral-tool)
set_target_properties(text_tool_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TOVRAL_TEST_OUTPUT})
include(GoogleTest)
gtest_discover_tests(text_tool_tests DISCOVERY_MODE PRE_TEST)
