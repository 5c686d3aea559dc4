# The Debian package: `make package` configures a build with the prefix /usr
# and runs CPack on it. The package holds what `cmake --install` puts in
# place, under the prefix the build was configured with, so the paths the
# manual pages name are the ones the package installs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vintrop)
set(CPACK_PACKAGE_VENDOR "The Vintrop authors")
set(CPACK_PACKAGE_CONTACT "The Vintrop authors <maintainers@users.noreply.c-seed-ff2d396d.example>"
    CACHE STRING "Maintainer of the Debian package, as \"Name <address>\"")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "elastic collisions of disks, to teach momentum and energy")
set(CPACK_PACKAGE_DESCRIPTION
    "Vintrop simulates perfectly elastic collisions between rigid disks in a
closed box. Students place disks with a mass, a position and a velocity,
then play, pause, step, step back and rewind the simulation and watch
momentum and kinetic energy being conserved; a collision history lists the
momentum sums of each pair before and after every impact, and live graphs
plot the total kinetic energy and momentum over time.

The package holds the program, the command-line runner vintrop-run (which
prints a scenario's collisions as CSV), example lessons, and the desktop
entry and file type that open *.vintrop lessons in Vintrop.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})

# What Debian wants of every package, where it keeps it (the folder is the
# package's name, not the project's): the licence in machine-readable form,
# and the changelog, here the version history; a package built from its own
# sources, as this one is, names it changelog.gz.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vintrop)
vintrop_history_debian_changelog(changelog "${CPACK_PACKAGE_CONTACT}")
file(WRITE ${PROJECT_BINARY_DIR}/changelog "${changelog}")
vintrop_install_gzipped(${PROJECT_BINARY_DIR}/changelog ${CMAKE_INSTALL_DATADIR}/doc/vintrop)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)   # vintrop_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the binaries link (Qt, the C++ runtime) are found by
# dpkg-shlibdeps, not listed by hand; the desktop needs these two to know the
# file type and the entry that opens it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils")

include(CPack)
