# The Debian package build/package/tovral_<version>_<arch>.deb, made by scripts/package
# (cpack -G DEB). Its dependencies are computed from the binaries by dpkg-shlibdeps, plus the
# fonts the viewer draws its texts with. Its files carry one time stamp (package_time.cmake.in),
# so that the same sources give the same package bytes.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tovral)
set(CPACK_PACKAGE_VENDOR "Tovral")
set(CPACK_PACKAGE_CONTACT ${TOVRAL_MAINTAINER})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TOVRAL_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-liberation2)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The maps are JPEG tiles, which no compressor shrinks further: the fastest one will do.
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
# The first line is the summary; an empty line starts a new paragraph.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "road-map viewer for the states of Brazil
Tovral shows the road map of each of the 27 states of Brazil: zoom and pan
the map, find a city by name and bring it to the centre, measure the
straight-line distance between any two cities, open the legend, and copy,
save (JPEG) or print the map. The package holds the viewer, its data folder
of every state and tovral-tool, the map engine on the command line.

Visualizador de mapas rodoviários dos estados do Brasil: o Tovral mostra o
mapa rodoviário de cada um dos 27 estados; amplie e percorra o mapa,
localize uma cidade pelo nome, meça a distância em linha reta entre duas
cidades, abra a legenda, e copie, salve (JPEG) ou imprima o mapa.")

configure_file(${CMAKE_CURRENT_SOURCE_DIR}/package_time.cmake.in ${CMAKE_CURRENT_BINARY_DIR}/package_time.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_BINARY_DIR}/package_time.cmake)

include(CPack)
