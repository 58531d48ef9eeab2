# Installation: the library with its headers under include/travimo (kept in
# their subdirectories, so "control/travimo.h" resolves), the CMake package
# Travimo (find_package(Travimo) gives Travimo::travimo), a pkg-config file,
# the command-line tool, the Python package, and a Debian package by CPack.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(TRAVIMO_CMAKE_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Travimo)
# Debian's interpreters all look in lib/python3/dist-packages under /usr.
set(TRAVIMO_PYTHON_INSTALL_DIR lib/python3/dist-packages CACHE STRING
    "Where the Python package travimo is installed, relative to the prefix")

# The installed headers are C++20.
target_compile_features(travimo PUBLIC cxx_std_20)

# The include directory comes with the target's own INSTALL_INTERFACE.
install(TARGETS travimo EXPORT TravimoTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/travimo
        FILES_MATCHING PATTERN "*.h")
install(EXPORT TravimoTargets
        NAMESPACE Travimo::
        FILE TravimoTargets.cmake
        DESTINATION ${TRAVIMO_CMAKE_INSTALL_DIR})

set(config_template ${PROJECT_BINARY_DIR}/TravimoConfig.cmake.in)
file(WRITE ${config_template} [=[
@PACKAGE_INIT@
include(CMakeFindDependencyMacro)
find_dependency(Threads)
include("${CMAKE_CURRENT_LIST_DIR}/TravimoTargets.cmake")
check_required_components(Travimo)
]=])
configure_package_config_file(${config_template} ${PROJECT_BINARY_DIR}/TravimoConfig.cmake
                              INSTALL_DESTINATION ${TRAVIMO_CMAKE_INSTALL_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/TravimoConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/TravimoConfig.cmake
              ${PROJECT_BINARY_DIR}/TravimoConfigVersion.cmake
        DESTINATION ${TRAVIMO_CMAKE_INSTALL_DIR})

# Relative to its own place, so the file stays right under any --prefix.
file(RELATIVE_PATH pc_to_prefix /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" pc_to_prefix "${pc_to_prefix}")
set(pc_file ${PROJECT_BINARY_DIR}/travimo.pc)
file(WRITE ${pc_file}
"prefix=\${pcfiledir}/${pc_to_prefix}
libdir=\${prefix}/${CMAKE_INSTALL_LIBDIR}
includedir=\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}

Name: Travimo
Description: ${PROJECT_DESCRIPTION}
Version: ${PROJECT_VERSION}
Cflags: -I\${includedir}/travimo -std=c++20 -pthread
Libs: -L\${libdir} -ltravimo -lutil -pthread
")
install(FILES ${pc_file} DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

if(TARGET travimo-cli)
  install(TARGETS travimo-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

if(TARGET travimo_python)
  file(GLOB python_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/python/travimo/*.py)
  install(TARGETS travimo_python LIBRARY DESTINATION ${TRAVIMO_PYTHON_INSTALL_DIR}/travimo)
  install(FILES ${python_sources} DESTINATION ${TRAVIMO_PYTHON_INSTALL_DIR}/travimo)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME travimo)
set(CPACK_PACKAGE_VENDOR "Travimo developers")
set(CPACK_PACKAGE_CONTACT "Travimo developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)  # the tool and the module; the static library keeps its symbols
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Travimo developers")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(travimo_deb_depends "libc6, libstdc++6")
if(TARGET travimo_python)
  # The compiled module serves the one Python version it was built for.
  string(REPLACE "." ";" python_version "${TRAVIMO_PYTHON_VERSION}")
  list(GET python_version 0 python_major)
  list(GET python_version 1 python_minor)
  math(EXPR python_next "${python_minor} + 1")
  string(APPEND travimo_deb_depends ", python3 (>= ${TRAVIMO_PYTHON_VERSION}), "
         "python3 (<< ${python_major}.${python_next}), python3-numpy")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${travimo_deb_depends}")
include(CPack)

# A consumer project built against a fresh install of this build tree.
if(TRAVIMO_BUILD_TESTS)
  add_test(NAME package_consumer
           COMMAND ${CMAKE_COMMAND}
                   -DBUILD_DIR=${PROJECT_BINARY_DIR}
                   -DCONSUMER_DIR=${PROJECT_SOURCE_DIR}/tests/package
                   -DWORK_DIR=${PROJECT_BINARY_DIR}/package-test
                   -DCXX=${CMAKE_CXX_COMPILER}
                   -DGENERATOR=${CMAKE_GENERATOR}
                   -DCONFIG=$<CONFIG>
                   -DSANITIZE=${TRAVIMO_SANITIZE}
                   -DPYTHON=${Python_EXECUTABLE}
                   -DPYTHON_DIR=${TRAVIMO_PYTHON_INSTALL_DIR}
                   -P ${PROJECT_SOURCE_DIR}/tests/package/run.cmake)
  set_tests_properties(package_consumer PROPERTIES LABELS package TIMEOUT 300)
endif()
