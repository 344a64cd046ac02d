# What `cmake --install build --prefix P` puts under P, by the component (and so the Debian
# package, cmake/Packaging.cmake) each file belongs to:
#   runtime  the component's module with its SONAME (P/lib/<triplet>/libombrixdc.so.0), the
#            view module beside it (P/lib/<triplet>/libombrixdc-view.so), which the component
#            loads when a window or picture is asked for, the simulated controller's module
#            (P/lib/<triplet>/ombrixdc/) and the Radial Error View's window server
#            (P/bin/ombrixdc-window), which the view module starts;
#   dev      the public headers (P/include/ombrixdc/), the link-time name libombrixdc.so, a
#            CMake package (find_package(OmbrixDC CONFIG) -> OmbrixDC::ombrixdc) and
#            ombrixdc.pc;
#   tools    the command line P/bin/ombrixdc, its manual page and bash completion, and the
#            machine description example, the error table and the README in share/ombrixdc;
#   python   the Python module (python/CMakeLists.txt).
# Each package also gets its copyright file and changelog in share/doc/<package>.
include(CMakePackageConfigHelpers)

set(OMBRIXDC_RUNTIME_PACKAGE libombrixdc${PROJECT_VERSION_MAJOR})
set(OMBRIXDC_DEV_PACKAGE libombrixdc-dev)
set(OMBRIXDC_TOOLS_PACKAGE ombrixdc)
set(OMBRIXDC_PYTHON_PACKAGE python3-ombrixdc)
set(OMBRIXDC_COMPONENTS runtime dev tools)
if(TARGET ombrixdc_python)
  list(APPEND OMBRIXDC_COMPONENTS python)
endif()

set_target_properties(ombrixdc_module PROPERTIES
  VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR} EXPORT_NAME ombrixdc)
target_include_directories(ombrixdc_module INTERFACE
  $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
  $<INSTALL_INTERFACE:${OMBRIXDC_INSTALL_INCLUDEDIR}>)

install(TARGETS ombrixdc_module EXPORT OmbrixDCTargets
  LIBRARY DESTINATION ${OMBRIXDC_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev)
# The view module is loaded by its file name from the component's own folder (or, for the
# programs and the Python module, from the library folder of their install).
install(TARGETS ombrixdc_view_module LIBRARY DESTINATION ${OMBRIXDC_INSTALL_LIBDIR}
  COMPONENT runtime)
# A plug-in loaded by path, not linked: no SONAME, so not in the library folder itself.
install(TARGETS vexasim_module LIBRARY DESTINATION ${OMBRIXDC_INSTALL_MODULEDIR}
  COMPONENT runtime NAMELINK_SKIP)
if(TARGET ombrixdc-window)
  install(TARGETS ombrixdc-window RUNTIME DESTINATION ${OMBRIXDC_INSTALL_BINDIR}
    COMPONENT runtime)
endif()
install(TARGETS ombrixdc RUNTIME DESTINATION ${OMBRIXDC_INSTALL_BINDIR} COMPONENT tools)
install(FILES ${PROJECT_SOURCE_DIR}/include/CoVexa_OmbrixDC.h
              ${PROJECT_SOURCE_DIR}/include/OmbrixDC_com.h
        DESTINATION ${OMBRIXDC_INSTALL_INCLUDEDIR} COMPONENT dev)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/machine-description.ini
              ${PROJECT_SOURCE_DIR}/docs/errors.md
        DESTINATION ${OMBRIXDC_INSTALL_DATADIR} COMPONENT tools)

set(package_dir ${OMBRIXDC_INSTALL_LIBDIR}/cmake/OmbrixDC)
install(EXPORT OmbrixDCTargets NAMESPACE OmbrixDC:: DESTINATION ${package_dir} COMPONENT dev)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/OmbrixDCConfig.cmake.in
  ${PROJECT_BINARY_DIR}/OmbrixDCConfig.cmake INSTALL_DESTINATION ${package_dir}
  PATH_VARS OMBRIXDC_INSTALL_MODULEDIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/OmbrixDCConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/OmbrixDCConfig.cmake
              ${PROJECT_BINARY_DIR}/OmbrixDCConfigVersion.cmake
        DESTINATION ${package_dir} COMPONENT dev)

# ombrixdc.pc finds the prefix from its own folder, P/lib/<triplet>/pkgconfig.
file(RELATIVE_PATH OMBRIXDC_PC_TO_PREFIX /prefix/${OMBRIXDC_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${CMAKE_CURRENT_LIST_DIR}/ombrixdc.pc.in ${PROJECT_BINARY_DIR}/ombrixdc.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/ombrixdc.pc DESTINATION ${OMBRIXDC_INSTALL_LIBDIR}/pkgconfig
  COMPONENT dev)

# The manual page of `ombrixdc`, made from its --help by help2man, and its bash completion.
# Not in the sanitizer and fuzz builds, whose programs are the same with a runtime linked in.
find_program(OMBRIXDC_HELP2MAN help2man)
if(OMBRIXDC_HELP2MAN AND NOT OMBRIXDC_SANITIZE AND NOT OMBRIXDC_BUILD_FUZZ)
  set(man_page ${PROJECT_BINARY_DIR}/man/ombrixdc.1.gz)
  add_custom_command(OUTPUT ${man_page}
    COMMAND bash ${PROJECT_SOURCE_DIR}/packaging/man-page.sh ${OMBRIXDC_HELP2MAN}
            $<TARGET_FILE:ombrixdc> ${man_page}
    DEPENDS ombrixdc ${PROJECT_SOURCE_DIR}/packaging/man-page.sh
    COMMENT "Manual page of ombrixdc from its --help")
  add_custom_target(ombrixdc_man_page ALL DEPENDS ${man_page})
  install(FILES ${man_page} DESTINATION share/man/man1 COMPONENT tools)
else()
  message(STATUS "The manual page of ombrixdc is not made (no help2man, or a sanitizer build)")
endif()
install(FILES ${PROJECT_SOURCE_DIR}/packaging/ombrixdc.bash-completion
  DESTINATION share/bash-completion/completions RENAME ombrixdc COMPONENT tools)

# The copyright file and the changelog (compressed, as Debian keeps them) of each package.
set(OMBRIXDC_DEBIAN_RELEASE 1)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${PROJECT_BINARY_DIR}/doc/changelog
  @ONLY)
execute_process(COMMAND gzip -9nc ${PROJECT_BINARY_DIR}/doc/changelog
  OUTPUT_FILE ${PROJECT_BINARY_DIR}/doc/changelog.Debian.gz)
foreach(component IN LISTS OMBRIXDC_COMPONENTS)
  string(TOUPPER ${component} upper)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright
                ${PROJECT_BINARY_DIR}/doc/changelog.Debian.gz
          DESTINATION share/doc/${OMBRIXDC_${upper}_PACKAGE} COMPONENT ${component})
endforeach()
