# What the Windows build uses in place of the host's packages. Included by the
# top-level list when the target is Windows.

# The header-only libraries' CMake configurations add /usr/include, which would
# mix the host's C library into the cross build: only their own folders are staged.
set(TRAVIMO_STAGE ${CMAKE_BINARY_DIR}/third-party/include)
foreach(folder nlohmann CLI)
  if(NOT EXISTS /usr/include/${folder})
    message(FATAL_ERROR "/usr/include/${folder} is missing: run scripts/setup")
  endif()
  file(COPY /usr/include/${folder} DESTINATION ${TRAVIMO_STAGE})
endforeach()
add_library(travimo_staged_headers INTERFACE)
target_include_directories(travimo_staged_headers SYSTEM INTERFACE ${TRAVIMO_STAGE})
add_library(nlohmann_json::nlohmann_json ALIAS travimo_staged_headers)
add_library(CLI11::CLI11 ALIAS travimo_staged_headers)

# GoogleTest from Debian's sources, built with the same toolchain.
if(TRAVIMO_BUILD_TESTS)
  if(NOT EXISTS /usr/src/googletest/CMakeLists.txt)
    message(FATAL_ERROR "/usr/src/googletest is missing: install the googletest package")
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()

foreach(option TRAVIMO_BUILD_WIDGET TRAVIMO_BUILD_PYTHON TRAVIMO_BUILD_BENCH TRAVIMO_FUZZ
               TRAVIMO_SANITIZE)
  if(${option})
    message(STATUS "${option} does not apply to the Windows build: turned off")
    set(${option} OFF)
  endif()
endforeach()
message(STATUS "Windows build: the Qt widget and GUI, the SQLite archive, the Python module "
               "and the pseudo-terminal simulator are left out (no MinGW builds of Qt, SQLite "
               "or Python here; the simulator needs POSIX pseudo-terminals)")

# No min/max macros, no rarely used headers.
add_compile_definitions(NOMINMAX WIN32_LEAN_AND_MEAN)
# GCC 12 reports std::string appends inlined at -O3 as overlapping copies
# (its bug 105329); the warning says nothing about our code.
add_compile_options(-Wno-restrict)
