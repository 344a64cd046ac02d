# `make package`: a Debian package of everything cmake/Install.cmake installs, under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ombrixdc)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "OmbrixDC developers")
set(CPACK_PACKAGE_CONTACT "OmbrixDC developers <maintainers@ombrixdc.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Circle dynamic compensation for coordinate measuring machines")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)  # the build keeps its debug information; the package does not
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The shared libraries the programs and the window server link, by their Debian packages.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6, libstdc++6, libinih1, libcairo2, libgdk-pixbuf-2.0-0, libgtk-3-0")
# The Python module and its example.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3, python3-numpy, python3-matplotlib")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
include(CPack)
