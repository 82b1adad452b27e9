# Installs the packages, the runtime libraries, the headers, the CMake package
# (find_package(Quorix CONFIG) with Quorix::Quorix4 and Quorix::Quorix5) and one
# pkg-config file per package. Included from packages/ once the targets exist.
include(CMakePackageConfigHelpers)

set(QUORIX_RUNTIME_LIBRARIES quorix_rtl_packages vcl40 VCLDB40 vcl50)

install(TARGETS ${QUORIX_RUNTIME_LIBRARIES} ${QUORIX_PACKAGES} EXPORT QuorixTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

# Headers keep their paths from the repository root: #include "engine/Quorix.hpp".
# Of the framework only its public headers (see framework/CMakeLists.txt).
foreach(header IN LISTS QUORIX_FRAMEWORK_HEADERS)
  get_filename_component(folder ${header} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/framework/${header}
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/framework/${folder})
endforeach()
foreach(folder IN ITEMS engine builtins engine_vars edits)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${folder} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
    FILES_MATCHING PATTERN "*.hpp")
endforeach()

set(QUORIX_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Quorix)
install(EXPORT QuorixTargets NAMESPACE Quorix:: DESTINATION ${QUORIX_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/QuorixConfig.cmake.in
  ${PROJECT_BINARY_DIR}/QuorixConfig.cmake INSTALL_DESTINATION ${QUORIX_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/QuorixConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/QuorixConfig.cmake ${PROJECT_BINARY_DIR}/QuorixConfigVersion.cmake
  DESTINATION ${QUORIX_CMAKE_DIR})

# pkg-config files locate the tree from their own place, so the tree can move.
file(RELATIVE_PATH QUORIX_PC_PREFIX /root/${CMAKE_INSTALL_LIBDIR}/pkgconfig /root)
set(QUORIX_PC_REQUIRES_Quorix4 "-lVCLDB40 -lvcl40")
set(QUORIX_PC_REQUIRES_Quorix5 "-lvcl50")
foreach(package IN LISTS QUORIX_PACKAGES)
  set(QUORIX_PC_NAME ${package})
  set(QUORIX_PC_LIBS "-l${package} ${QUORIX_PC_REQUIRES_${package}} -lquorix_rtl_packages")
  configure_file(${CMAKE_CURRENT_LIST_DIR}/Quorix.pc.in ${PROJECT_BINARY_DIR}/${package}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/${package}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()
