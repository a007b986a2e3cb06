# What `cmake --install` puts into a prefix: the program, the libraries with their headers, the
# dialect's loadable extension, the schema files and the README; a CMake package
# (find_package(dorsel CONFIG) gives dorsel::console, dorsel::dorsel, ...) and a pkg-config file.
# CPack turns the same into a Debian package.
include(CMakePackageConfigHelpers)

set(DORSEL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/dorsel)
install(EXPORT dorselTargets NAMESPACE dorsel:: DESTINATION ${DORSEL_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/dorselConfig.cmake.in
  ${PROJECT_BINARY_DIR}/dorselConfig.cmake INSTALL_DESTINATION ${DORSEL_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/dorselConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/dorselConfig.cmake
  ${PROJECT_BINARY_DIR}/dorselConfigVersion.cmake DESTINATION ${DORSEL_CMAKE_DIR})

# The C interface: libdorsel.so.0 (with its development link) and its C header, for hosts in
# any language; the Python package finds it on the system's library path.
install(TARGETS dorsel_capi LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${PROJECT_SOURCE_DIR}/src/capi/include/dorsel/dorsel.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/dorsel)

install(DIRECTORY ${PROJECT_SOURCE_DIR}/schema/ DESTINATION ${CMAKE_INSTALL_DATADIR}/dorsel/schema)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/dorsel)

set(CPACK_PACKAGE_NAME dorsel)
set(CPACK_PACKAGE_VENDOR "TRAVE")
set(CPACK_PACKAGE_CONTACT "TRAVE_DORSEL developers <dorsel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "item-master business object of an ERP, its libraries and the reference host dorsel")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
# The run-time libraries come from the program's and the extension's own links; a host that
# builds against the static libraries needs the headers of what they link.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsqlite3-dev, uuid-dev, nlohmann-json3-dev")
if(DORSEL_WITH_ODBC)
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", unixodbc-dev")
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libsqliteodbc, tdsodbc")
endif()
# pkg-config: the libraries in link order; being static, they require their system libraries.
set(DORSEL_PC_LIBS "-ldorsel_console -ldorsel_component -ldorsel_prezzi")
set(DORSEL_PC_REQUIRES "sqlite3 uuid nlohmann_json")
if(DORSEL_WITH_ODBC)
  string(APPEND DORSEL_PC_LIBS " -ldorsel_data_odbc")
  string(APPEND DORSEL_PC_REQUIRES " odbc")
  set(DORSEL_PC_CFLAGS "-DDORSEL_WITH_ODBC=1")
endif()
string(APPEND DORSEL_PC_LIBS " -ldorsel_data_sqlite -ldorsel_dialect -ldorsel_data -ldorsel_automation")
configure_file(${PROJECT_SOURCE_DIR}/cmake/dorsel.pc.in ${PROJECT_BINARY_DIR}/dorsel.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/dorsel.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

include(CPack)
