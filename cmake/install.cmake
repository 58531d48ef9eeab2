# Installation, in components that become the Debian packages (packaging.cmake):
#   lib    libtravimo.so.1
#   dev    the public headers, include/travimo (<travimo/travimo.h> and
#          <travimo/control/travimo.h> ...), libtravimo.a, the CMake package
#          Travimo, travimo.pc
#   tool   travimo, travimo-sim, bash completion, man pages
#   gui    travimo-gui, the widget library, its .desktop file and icon
#   python the Python package travimo
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(TRAVIMO_CMAKE_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Travimo)
# Debian's interpreters all look in lib/python3/dist-packages under /usr.
set(TRAVIMO_PYTHON_INSTALL_DIR lib/python3/dist-packages CACHE STRING
    "Where the Python package travimo is installed, relative to the prefix")

set(installed_libraries travimo)
if(TARGET travimo_shared)
  list(APPEND installed_libraries travimo_shared)
endif()
install(TARGETS ${installed_libraries} EXPORT TravimoTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT lib NAMELINK_COMPONENT dev)
# Only the public headers; the private ones stay in src/.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/travimo
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)
install(EXPORT TravimoTargets
        NAMESPACE Travimo::
        FILE TravimoTargets.cmake
        DESTINATION ${TRAVIMO_CMAKE_INSTALL_DIR} COMPONENT dev)

# Travimo::travimo is the shared library unless the consumer sets
# Travimo_USE_STATIC_LIBS, or only the static one was built.
set(config_template ${PROJECT_BINARY_DIR}/TravimoConfig.cmake.in)
file(WRITE ${config_template} [=[
@PACKAGE_INIT@
include(CMakeFindDependencyMacro)
find_dependency(Threads)
include("${CMAKE_CURRENT_LIST_DIR}/TravimoTargets.cmake")
if(NOT TARGET Travimo::travimo)
  add_library(Travimo::travimo INTERFACE IMPORTED)
  if(TARGET Travimo::travimo_shared AND NOT Travimo_USE_STATIC_LIBS)
    set_target_properties(Travimo::travimo PROPERTIES INTERFACE_LINK_LIBRARIES Travimo::travimo_shared)
  else()
    set_target_properties(Travimo::travimo PROPERTIES INTERFACE_LINK_LIBRARIES Travimo::travimo_static)
  endif()
endif()
check_required_components(Travimo)
]=])
configure_package_config_file(${config_template} ${PROJECT_BINARY_DIR}/TravimoConfig.cmake
                              INSTALL_DESTINATION ${TRAVIMO_CMAKE_INSTALL_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/TravimoConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/TravimoConfig.cmake
              ${PROJECT_BINARY_DIR}/TravimoConfigVersion.cmake
        DESTINATION ${TRAVIMO_CMAKE_INSTALL_DIR} COMPONENT dev)

# Relative to its own place, so the file stays right under any --prefix.
# -ltravimo finds the shared library; pkg-config --static adds what the
# static one needs.
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
Cflags: -I\${includedir} -std=c++20 -pthread
Libs: -L\${libdir} -ltravimo -pthread
Libs.private: -lutil
")
install(FILES ${pc_file} DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)

foreach(program travimo-cli travimo-sim)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tool)
  endif()
endforeach()
if(TARGET travimo-cli)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/travimo.bash-completion
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
          RENAME travimo COMPONENT tool)
endif()

if(TARGET travimo-gui)
  install(TARGETS travimo-gui RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT gui)
  install(TARGETS travimo_widget ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT gui)
  install(FILES ${PROJECT_SOURCE_DIR}/widget/travimo_widget.h ${PROJECT_SOURCE_DIR}/widget/qt_host.h
                ${PROJECT_SOURCE_DIR}/widget/qt_mapping.h
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/travimo/widget COMPONENT gui)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/travimo-gui.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT gui)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/travimo-gui.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT gui)
endif()

if(TARGET travimo_python)
  file(GLOB python_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/python/travimo/*.py
     ${PROJECT_SOURCE_DIR}/python/travimo/py.typed)
  list(APPEND python_sources ${TRAVIMO_PYTHON_STUBS})
  install(TARGETS travimo_python LIBRARY DESTINATION ${TRAVIMO_PYTHON_INSTALL_DIR}/travimo
          COMPONENT python)
  install(FILES ${python_sources} DESTINATION ${TRAVIMO_PYTHON_INSTALL_DIR}/travimo
          COMPONENT python)
endif()

include(${CMAKE_CURRENT_LIST_DIR}/man_pages.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/packaging.cmake)

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
