# End-to-end run of the city locator under Xvfb (skipped without xvfb-run).
add_test(NAME locator_e2e
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/locator_e2e.sh $<TARGET_FILE:tovral> $<TARGET_FILE:tovral-tool>)
set_tests_properties(locator_e2e PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300 RUN_SERIAL TRUE)
