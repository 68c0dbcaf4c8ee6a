# Checks of the Debian package, run by scripts/test: the built tree is packed once (the
# package_build fixture), then the package is linted, its desktop entry and AppStream
# metadata validated, and its extracted contents run. Each check skips with a message when
# the Debian tools it needs are missing.
set(package_check ${CMAKE_CURRENT_SOURCE_DIR}/check_package.sh)
set(package_folder ${CMAKE_BINARY_DIR}/tests/package)
add_test(NAME package_build COMMAND ${package_check} build ${CMAKE_BINARY_DIR} ${package_folder})
set_tests_properties(package_build PROPERTIES FIXTURES_SETUP tovral_package)
foreach(check lint validate run)
  add_test(NAME package_${check} COMMAND ${package_check} ${check} ${package_folder})
  set_tests_properties(package_${check} PROPERTIES FIXTURES_REQUIRED tovral_package)
endforeach()
set_tests_properties(package_build package_lint package_validate package_run PROPERTIES
  SKIP_RETURN_CODE 77 TIMEOUT 600 LABELS package)
# The viewer run shares the single-instance name with the other viewer runs.
set_tests_properties(package_run PROPERTIES RUN_SERIAL TRUE)
