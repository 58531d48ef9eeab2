# Debian packages by CPack, one per install component. CPack rather than a
# debian/ directory: the install rules above already split the files, and one
# build tree gives the packages, so CI packages the Release build it made
# instead of building the project again under dpkg-buildpackage.
#   cpack --config build/CPackConfig.cmake   (in the build tree: cpack)
set(TRAVIMO_MAINTAINER "The Travimo developers <maintainers@travimo.org>" CACHE STRING
    "Maintainer of the Debian packages")
string(REGEX REPLACE ".*<(.*)>.*" "\\1" maintainer_email "${TRAVIMO_MAINTAINER}")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME travimo)
set(CPACK_PACKAGE_VENDOR "The Travimo developers")
set(CPACK_PACKAGE_CONTACT "${TRAVIMO_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TRAVIMO_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(full_version ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})

set(CPACK_COMPONENTS_ALL lib dev tool)
if(TARGET travimo-gui)
  list(APPEND CPACK_COMPONENTS_ALL gui)
endif()
if(TARGET travimo_python)
  list(APPEND CPACK_COMPONENTS_ALL python)
endif()

# component, package, section, summary, description (CPack wraps and indents it)
macro(travimo_deb component name section summary description)
  string(TOUPPER ${component} upper)
  set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${name})
  set(CPACK_DEBIAN_${upper}_PACKAGE_SECTION ${section})
  set(CPACK_COMPONENT_${upper}_DESCRIPTION "${summary}\n${description}")
  # Each package carries the copyright and the Debian changelog under its own name.
  set(doc_dir ${PROJECT_BINARY_DIR}/deb-doc/${name})
  configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright ${doc_dir}/copyright @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog ${doc_dir}/changelog.Debian @ONLY)
  execute_process(COMMAND gzip -9nf ${doc_dir}/changelog.Debian)
  install(FILES ${doc_dir}/copyright ${doc_dir}/changelog.Debian.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${name} COMPONENT ${component})
endmacro()
set(MAINTAINER_EMAIL ${maintainer_email})

set(about_instruments
    "Travimo retrieves the stored measurements of Lorvex, Brevane and Ostrel portable instruments over a serial line and parses them into records.")
travimo_deb(lib libtravimo1 libs "serial data retrieval for Lorvex, Brevane and Ostrel instruments"
            "${about_instruments}\n\nThis package holds the shared library.")
travimo_deb(dev libtravimo-dev libdevel "serial data retrieval for Lorvex, Brevane and Ostrel - development files"
            "${about_instruments}\n\nThis package holds the C++20 headers, the static library, the CMake package Travimo and the pkg-config file travimo.pc.")
travimo_deb(tool travimo science "read Lorvex, Brevane and Ostrel instruments from the command line"
            "${about_instruments}\n\nThis package holds the travimo tool (read, demo, parse, simulate, ports) and the instrument simulator travimo-sim.")
travimo_deb(gui travimo-gui science "read Lorvex, Brevane and Ostrel instruments - desktop program"
            "${about_instruments}\n\nThis package holds the Qt 6 program travimo-gui and the static widget library that hosts the control in other Qt programs.")
travimo_deb(python python3-travimo python "read Lorvex, Brevane and Ostrel instruments from Python 3"
            "${about_instruments}\n\nThis package holds the Python 3 module travimo.")

set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libtravimo1 (= ${full_version})")
set(CPACK_DEBIAN_LIB_PACKAGE_MULTIARCH same)
set(CPACK_DEBIAN_DEV_PACKAGE_MULTIARCH same)
if(TARGET travimo_python)
  # The compiled module serves the one Python version it was built for.
  string(REPLACE "." ";" python_version "${TRAVIMO_PYTHON_VERSION}")
  list(GET python_version 0 python_major)
  list(GET python_version 1 python_minor)
  math(EXPR python_next "${python_minor} + 1")
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS
      "python3 (>= ${TRAVIMO_PYTHON_VERSION}), python3 (<< ${python_major}.${python_next}), python3-numpy")
endif()
include(CPack)
