# The viewer's compiled-in artwork. The cursor, banners and arrow glyphs are drawn at build
# time by tovral-viewer-art; the legend pictures come from the shared map symbols through
# `tovral-tool legend`, so that they show exactly what the maps are drawn with. Everything
# lands in the library tovral_viewer_resources, which the windows link. rcc's later formats
# record each file's modification time, here the time of the build that drew the picture;
# format 1 records none, so that every build of the same sources gives the same bytes (nothing
# reads those times).
# The road of the scene the banners and the menu icon share.
add_library(tovral_road_scene STATIC ${CMAKE_CURRENT_LIST_DIR}/viewer_art/road_scene.cpp)
target_include_directories(tovral_road_scene PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(tovral_road_scene PUBLIC Qt6::Gui)
add_executable(tovral-viewer-art ${CMAKE_CURRENT_LIST_DIR}/viewer_art/make_viewer_art.cpp)
target_link_libraries(tovral-viewer-art PRIVATE tovral_road_scene)

set(viewer_art_dir ${CMAKE_CURRENT_BINARY_DIR}/viewer_art)
set(viewer_art_names cursors/mao.png cursors/mao_fechada.png)
# The banners and arrows, each also drawn at twice its pixels (name@2x.png) for screens of
# twice the density.
foreach(name banners/banner_main banners/banner_main_tail banners/banner_small
        arrows/up arrows/down arrows/left arrows/right
        arrows/up_left arrows/up_right arrows/down_left arrows/down_right)
  list(APPEND viewer_art_names ${name}.png ${name}@2x.png)
endforeach()
list(TRANSFORM viewer_art_names PREPEND ${viewer_art_dir}/ OUTPUT_VARIABLE viewer_art_files)
add_custom_command(
  OUTPUT ${viewer_art_files}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
          $<TARGET_FILE:tovral-viewer-art> ${viewer_art_dir}
  DEPENDS tovral-viewer-art
  COMMENT "Drawing the viewer's cursor, banners and arrow glyphs"
  VERBATIM)
set_source_files_properties(${viewer_art_files} PROPERTIES GENERATED TRUE)

add_library(tovral_viewer_resources STATIC ${CMAKE_CURRENT_LIST_DIR}/viewer_art/viewer_art.cpp)
target_include_directories(tovral_viewer_resources PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(tovral_viewer_resources PUBLIC Qt6::Gui)
qt_add_resources(tovral_viewer_resources viewer_art PREFIX / BASE ${viewer_art_dir}
  OPTIONS --format-version 1 FILES ${viewer_art_files})

# The four legend pages, drawn from the shared map symbols.
set(legend_dir ${CMAKE_CURRENT_BINARY_DIR}/legend)
set(legend_files)
foreach(page 1 2 3 4)
  list(APPEND legend_files ${legend_dir}/legenda${page}.png ${legend_dir}/legenda${page}@2x.png)
endforeach()
add_custom_command(
  OUTPUT ${legend_files}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
          $<TARGET_FILE:tovral-tool> legend ${legend_dir}
  DEPENDS tovral-tool
  COMMENT "Drawing the legend pages from the map symbols"
  VERBATIM)
set_source_files_properties(${legend_files} PROPERTIES GENERATED TRUE)
qt_add_resources(tovral_viewer_resources viewer_legend PREFIX /legend BASE ${legend_dir}
  OPTIONS --format-version 1 FILES ${legend_files})
