# The Debian package: cpack in the build directory makes
# quorsma_<version>_amd64.deb of everything `cmake --install` lays out, under
# /usr.  Its dependencies come from dpkg-shlibdeps; numpy is only needed for
# the Python package's array views.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorsma)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "shared soft-PLC device memory, ladder-logic instructions and the quorsma tool")
set(CPACK_PACKAGE_DESCRIPTION
    "QuorSMA gives the cooperating programs of one machine a common soft-PLC device memory in one named \
shared-memory section, and a ladder-logic instruction set working on it. The package holds the library \
libQuorSMA.so.1 and the client library libquorsma-client.so.1 with their C headers, CMake package and \
pkg-config files, the quorsma command-line tool with its manual pages, the systemd services (one instance per \
section) running as the system user quorsma, the Python package quorsma and the examples.")
set(CPACK_PACKAGE_CONTACT "QuorSMA maintainers <quorsma@localhost>")
# The install scripts see the final prefix /usr; the files go to the staging
# directory through DESTDIR.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "python3, python3-numpy")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# postinst makes the group and user quorsma and the data directory
# /var/lib/quorsma (see install_layout.cmake), and updates the dynamic
# loader's cache; prerm stops the services; postrm removes the data and the
# lock files on purge.  The files in /etc/quorsma are conffiles.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/postinst
    ${PROJECT_SOURCE_DIR}/cmake/debian/prerm ${PROJECT_SOURCE_DIR}/cmake/debian/postrm
    ${PROJECT_SOURCE_DIR}/cmake/debian/conffiles)
# useradd and groupadd (passwd) are essential in Debian; stat and find too.
include(CPack)
