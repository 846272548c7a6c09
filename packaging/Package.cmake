# The Debian package, made by CPack's DEB generator from everything the
# project installs: cmake --build build --target package writes
# build/morvik_<version>_<architecture>.deb.
include(GNUInstallDirs)

set(MORVIK_MAINTAINER "Quillon <quillon@example.com>")
set(MORVIK_HOME_PAGE "https://www.example.com/quillon/")

# Debian's own files, under the package's name (GNUInstallDirs' DOCDIR would
# name the project). The version has no Debian revision, so the package is
# native and its changelog is changelog.gz.
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/morvik)
set(changelog ${CMAKE_BINARY_DIR}/packaging/changelog)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${changelog} @ONLY)
add_custom_command(OUTPUT ${changelog}.gz COMMAND ${MORVIK_GZIP} -9nkf ${changelog}
                   DEPENDS ${changelog} VERBATIM)
add_custom_target(package_changelog ALL DEPENDS ${changelog}.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${changelog}.gz DESTINATION ${doc_dir})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${changelog}.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/morvik-world COMPONENT world)

# Two packages: the program and the batch tool, and morvik-world, which
# alone needs Open MPI.
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL morvik world)
set(CPACK_PACKAGE_NAME morvik)
set(CPACK_DEBIAN_MORVIK_PACKAGE_NAME morvik)
set(CPACK_DEBIAN_WORLD_PACKAGE_NAME morvik-world)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${MORVIK_MAINTAINER}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Each package's description: its synopsis, then the rest. (CPack would put
# a package-wide summary above both.)
set(CPACK_DEBIAN_MORVIK_DESCRIPTION
    "random maps of land and sea, saved as bitmaps
Morvik makes random maps of land and sea and saves them as 8-bit BMP
files. Its control window holds the map's width and height, a roughness
and a share of sea; the map view shows the map in colour, or its
coastline alone, and saves it. The windows are labelled in Japanese.

The package also holds morvik-batch, which makes maps up to 16385 x 16385
without any window: BMP or palette PNG files, eroded land, and the files
game engines build terrain from (16-bit heightmaps, normals, flow, masks
and splat weights, tiled, or as an engine's pack).")
set(CPACK_DEBIAN_WORLD_DESCRIPTION "Morvik worlds in tiles over the processes of an MPI run
morvik-world makes the worlds of morvik-batch generate far past what one
machine holds, up to 131073 x 131073 cells, in tiles that the processes of
an Open MPI run share, on one machine or a cluster. Every tile is the one
morvik-batch writes for the same world, byte for byte, and a GDAL virtual
raster opens the heightmap's tiles as one world.")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${MORVIK_HOME_PAGE}")

# The libraries come from dpkg-shlibdeps. It cannot see what Qt loads at run
# time: the platform plugin, without which the program does not start, and
# the Japanese fonts the windows ask for. The SVG plugin (the window icon)
# and Qt's translations (the save dialog's texts) are welcome, not needed.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_MORVIK_PACKAGE_DEPENDS "fonts-ipafont-gothic, qt6-qpa-plugins")
set(CPACK_DEBIAN_MORVIK_PACKAGE_RECOMMENDS "libqt6svg6, qt6-translations-l10n, qt6-wayland")
# mpirun starts it; a world's files are the batch tool's to compare with.
set(CPACK_DEBIAN_WORLD_PACKAGE_DEPENDS "openmpi-bin")
set(CPACK_DEBIAN_WORLD_PACKAGE_SUGGESTS "morvik, gdal-bin")
set(CPACK_DEBIAN_WORLD_PACKAGE_SECTION science)

# Stripped programs and 0755 folders whatever the umask.
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
