# GeoToPixel over reference grids of growing size.
add_executable(coordinates_bench ${CMAKE_CURRENT_LIST_DIR}/coordinates_bench.cpp)
target_link_libraries(coordinates_bench PRIVATE tovral_mapdata benchmark::benchmark_main)
set_target_properties(coordinates_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TOVRAL_BENCH_OUTPUT})
