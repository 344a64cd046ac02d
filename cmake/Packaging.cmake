# `make package`: Debian packages of what cmake/Install.cmake installs, one per component,
# under /usr:
#   libombrixdc0      runtime: the library, its view module, the simulated controller, the
#                     window server
#   libombrixdc-dev   dev: headers in /usr/include/ombrixdc, libombrixdc.so, CMake and pkg-config
#   ombrixdc          tools: the command line, its manual page and completion, its data
#   python3-ombrixdc  python: the Python module
# The dependencies on system libraries come from the binaries (dpkg-shlibdeps); those between
# the packages are exact versions.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ombrixdc)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "OmbrixDC developers")
set(CPACK_PACKAGE_CONTACT "OmbrixDC developers <maintainers@ombrixdc.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Circle dynamic compensation for coordinate measuring machines")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)  # the build keeps its debug information; the packages do not
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${OMBRIXDC_COMPONENTS})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${OMBRIXDC_DEBIAN_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://ombrixdc.invalid/")

set(about "OmbrixDC adds circle dynamic compensation to a coordinate measuring machine:
it learns once per feature how a fast scan of a bore or boss differs from a
slow one, and from then on corrects fast scans of that feature.")

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${OMBRIXDC_RUNTIME_PACKAGE})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# A shlibs file, so that programs built against the library depend on this version or later,
# and the ldconfig trigger for the library.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/libombrixdc0/triggers)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "circle dynamic compensation component for CMMs
${about}
This package holds the in-process component (libombrixdc.so.0), its view
module (libombrixdc-view.so, loaded when the Radial Error View or a picture
is asked for), the simulated controller module and the window server of the
Radial Error View.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME ${OMBRIXDC_DEV_PACKAGE})
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_DEV_DEPENDS runtime)
set(CPACK_COMPONENT_DEV_DESCRIPTION "circle dynamic compensation component for CMMs (development files)
${about}
This package holds the headers (in /usr/include/ombrixdc), the link-time
library name, a CMake package and a pkg-config file.")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME ${OMBRIXDC_TOOLS_PACKAGE})
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION science)
set(CPACK_COMPONENT_TOOLS_DEPENDS runtime)
set(CPACK_COMPONENT_TOOLS_DESCRIPTION "circle dynamic compensation for CMMs (command line)
${about}
This package holds the command line ombrixdc: a demonstration and runs on a
simulated machine, a speed sweep, the Radial Error View and its picture
export, and the registration of the server modules.")

set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME ${OMBRIXDC_PYTHON_PACKAGE})
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_COMPONENT_PYTHON_DEPENDS runtime)
if(OMBRIXDC_PYTHON_EXECUTABLE)
  execute_process(COMMAND ${OMBRIXDC_PYTHON_EXECUTABLE} -c
    "import sys; print('%d.%d' % sys.version_info[:2]); print('%d.%d' % (sys.version_info[0], sys.version_info[1] + 1))"
    OUTPUT_VARIABLE python_versions OUTPUT_STRIP_TRAILING_WHITESPACE)
  string(REPLACE "\n" ";" python_versions "${python_versions}")
  list(GET python_versions 0 python_this)
  list(GET python_versions 1 python_next)
  # The module is built for one Python version.
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS
      "python3 (>= ${python_this}~), python3 (<< ${python_next}), python3-numpy")
endif()
set(CPACK_DEBIAN_PYTHON_PACKAGE_SUGGESTS "python3-matplotlib")
set(CPACK_COMPONENT_PYTHON_DESCRIPTION "circle dynamic compensation for CMMs (Python 3 module)
${about}
This package holds the Python 3 module ombrixdc.")

include(CPack)
