# What `cmake --install build --prefix P` puts under P: the component's module with its SONAME,
# the simulated controller's module, the two programs, the public headers, a CMake package
# (find_package(OmbrixDC CONFIG) -> OmbrixDC::ombrixdc), ombrixdc.pc, and the machine
# description example, the error table and the README in share/ombrixdc.
include(CMakePackageConfigHelpers)

set_target_properties(ombrixdc_module PROPERTIES
  VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR} EXPORT_NAME ombrixdc)
target_include_directories(ombrixdc_module INTERFACE
  $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
  $<INSTALL_INTERFACE:${OMBRIXDC_INSTALL_INCLUDEDIR}>)

install(TARGETS ombrixdc_module EXPORT OmbrixDCTargets
  LIBRARY DESTINATION ${OMBRIXDC_INSTALL_LIBDIR})
# A plug-in loaded by path, not linked: no SONAME.
install(TARGETS vexasim_module LIBRARY DESTINATION ${OMBRIXDC_INSTALL_LIBDIR})
install(TARGETS ombrixdc RUNTIME DESTINATION ${OMBRIXDC_INSTALL_BINDIR})
if(TARGET ombrixdc-window)
  install(TARGETS ombrixdc-window RUNTIME DESTINATION ${OMBRIXDC_INSTALL_BINDIR})
endif()
install(FILES ${PROJECT_SOURCE_DIR}/include/CoVexa_OmbrixDC.h
              ${PROJECT_SOURCE_DIR}/include/OmbrixDC_com.h
        DESTINATION ${OMBRIXDC_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/machine-description.ini
              ${PROJECT_SOURCE_DIR}/docs/errors.md
        DESTINATION ${OMBRIXDC_INSTALL_DATADIR})

set(package_dir ${OMBRIXDC_INSTALL_LIBDIR}/cmake/OmbrixDC)
install(EXPORT OmbrixDCTargets NAMESPACE OmbrixDC:: DESTINATION ${package_dir})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/OmbrixDCConfig.cmake.in
  ${PROJECT_BINARY_DIR}/OmbrixDCConfig.cmake INSTALL_DESTINATION ${package_dir}
  PATH_VARS OMBRIXDC_INSTALL_LIBDIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/OmbrixDCConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/OmbrixDCConfig.cmake
              ${PROJECT_BINARY_DIR}/OmbrixDCConfigVersion.cmake
        DESTINATION ${package_dir})

configure_file(${CMAKE_CURRENT_LIST_DIR}/ombrixdc.pc.in ${PROJECT_BINARY_DIR}/ombrixdc.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/ombrixdc.pc DESTINATION ${OMBRIXDC_INSTALL_LIBDIR}/pkgconfig)
