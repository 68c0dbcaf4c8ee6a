# Tile decoding against djpeg (see compare_djpeg.sh) and whole-view renders at every zoom.
add_executable(map_image_bench ${CMAKE_CURRENT_LIST_DIR}/map_image_bench.cpp)
target_link_libraries(map_image_bench PRIVATE tovral_mapdata tovral_writers benchmark::benchmark)
set_target_properties(map_image_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TOVRAL_BENCH_OUTPUT})
