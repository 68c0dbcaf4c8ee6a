# The city locator of the map window and the distance calculator window.
target_sources(tovral_windows PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/city_locator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/city_search.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tovral_distancias.cpp
  ${CMAKE_CURRENT_LIST_DIR}/typed_position.cpp
)
target_link_libraries(tovral_windows PUBLIC tovral_distance)
