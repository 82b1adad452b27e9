# A Debian package of what `cmake --install` installs: the component packages and the
# runtime libraries, the headers, the CMake and pkg-config files, and the programs.
#   cpack --config build/CPackConfig.cmake -B DIR   # DIR/quorix_VERSION_ARCH.deb
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Expression-evaluating components and the quorix calculator")
set(CPACK_PACKAGE_CONTACT "Quorix developers <quorix@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)     # quorix_VERSION_ARCH.deb
set(CPACK_DEBIAN_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)      # dependencies from the libraries it links
# The installed libraries find each other through $ORIGIN, not through the build tree.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${QUORIX_LIBRARY_DIR})
include(CPack)
