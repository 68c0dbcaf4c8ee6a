# The data-folder builder and the legend pictures. The real-geodata tests read the public
# geodata beside the repository and skip themselves when it is absent.
add_executable(mkdata_tests
  ${CMAKE_CURRENT_LIST_DIR}/mkdata_test_support.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mkdata_test_support.h
  ${CMAKE_CURRENT_LIST_DIR}/mkdata_units_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mkdata_folder_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mkdata_real_test.cpp
  ${PROJECT_SOURCE_DIR}/tests/mapdata/gui_test_main.cpp
)
target_link_libraries(mkdata_tests PRIVATE tovral_mkdata GTest::gtest)
target_compile_definitions(mkdata_tests PRIVATE
  TOVRAL_GEODATA_DIR="${PROJECT_SOURCE_DIR}/../shared/geodata"
  TOVRAL_TOOL="$<TARGET_FILE:tovral-tool>")
add_dependencies(mkdata_tests tovral-tool)
set_target_properties(mkdata_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TOVRAL_TEST_OUTPUT})
include(GoogleTest)
gtest_discover_tests(mkdata_tests DISCOVERY_MODE PRE_TEST
  PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
