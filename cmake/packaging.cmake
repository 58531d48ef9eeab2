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
# CPack puts the summary in front of each component's description unless it
# is CPack's own default; each description below starts with its own synopsis.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_NAME} built using CMake")
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
set(full_version ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
# The shared library's shlibs file, and the ldconfig trigger Debian expects of it.
set(lib_control ${PROJECT_BINARY_DIR}/deb-control/lib)
file(WRITE ${lib_control}/shlibs
     "libtravimo ${PROJECT_VERSION_MAJOR} libtravimo${PROJECT_VERSION_MAJOR} (>= ${PROJECT_VERSION})\n")
file(WRITE ${lib_control}/triggers "activate-noawait ldconfig\n")
set(CPACK_DEBIAN_LIB_PACKAGE_CONTROL_EXTRA ${lib_control}/shlibs ${lib_control}/triggers)
set(CPACK_DEBIAN_LIB_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)

set(CPACK_COMPONENTS_ALL lib dev tool)
if(TARGET travimo-gui)
  list(APPEND CPACK_COMPONENTS_ALL gui)
endif()
if(TARGET travimo_python)
  list(APPEND CPACK_COMPONENTS_ALL python)
endif()

# component, package, section, synopsis, description (CPack indents it)
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

# Descriptions are wrapped by hand: CPack keeps lines as they are.
set(about "Travimo retrieves the stored measurements of Lorvex, Brevane and Ostrel\nportable instruments over a serial line and parses them into records.\n\n")
travimo_deb(lib libtravimo1 libs "serial data retrieval for Lorvex, Brevane and Ostrel instruments"
            "${about}This package holds the shared library.")
travimo_deb(dev libtravimo-dev libdevel "serial instrument data retrieval - development files"
            "${about}This package holds the C++20 headers, the static library, the CMake\npackage Travimo and the pkg-config file travimo.pc.")
travimo_deb(tool travimo science "read Lorvex, Brevane and Ostrel instruments from the command line"
            "${about}This package holds the travimo tool (read, demo, parse, simulate,\nports) and the instrument simulator travimo-sim.")
travimo_deb(gui travimo-gui science "read Lorvex, Brevane and Ostrel instruments - desktop program"
            "${about}This package holds the Qt 6 program travimo-gui and the static widget\nlibrary that hosts the control in other Qt programs.")
travimo_deb(python python3-travimo python "read Lorvex, Brevane and Ostrel instruments from Python 3"
            "${about}This package holds the Python 3 module travimo.")

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
