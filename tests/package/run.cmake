# Installs the build tree into a fresh prefix (or takes an installed PREFIX,
# /usr for the Debian packages), then builds and runs the consumer project
# against it: through find_package with the shared and with the static
# library, and through pkg-config. Checks that the shared library exports only
# the namespace travimo, and imports the installed Python package.
#   cmake -DWORK_DIR=... -DCONSUMER_DIR=... -DCXX=... -DGENERATOR=...
#         (-DBUILD_DIR=... [-DCONFIG=...] | -DPREFIX=...)
#         [-DSANITIZE=ON] [-DPYTHON=... -DPYTHON_DIR=...] -P run.cmake
set(expected "1 3 ComportError")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    string(JOIN " " command ${ARGN})
    message(FATAL_ERROR "failed (${status}): ${command}\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

function(expect_output program what)
  run(${program})
  string(STRIP "${out}" printed)
  if(NOT printed STREQUAL expected)
    message(FATAL_ERROR "the ${what} consumer printed \"${printed}\", not \"${expected}\"")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
if(NOT PREFIX)
  set(PREFIX ${WORK_DIR}/prefix)
  set(config_args "")
  if(CONFIG)
    set(config_args --config ${CONFIG})
  endif()
  run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX} ${config_args})
endif()

# A public header that reaches for a private one ("formats/...") would build
# here only by luck of the build tree's include path.
file(GLOB_RECURSE installed_headers ${PREFIX}/include/travimo/*.h)
if(NOT installed_headers)
  message(FATAL_ERROR "no headers under ${PREFIX}/include/travimo")
endif()
foreach(header ${installed_headers})
  file(STRINGS ${header} private_includes REGEX "^#include \"[^\"]*/")
  if(private_includes)
    message(FATAL_ERROR "${header} includes a header that is not installed: ${private_includes}")
  endif()
endforeach()

set(link_flags "")
if(SANITIZE)
  set(link_flags -fsanitize=address,undefined)
endif()

# find_package(Travimo): the shared library unless the static one is asked for.
foreach(variant shared static)
  set(build ${WORK_DIR}/build-${variant})
  set(static_arg "")
  if(variant STREQUAL "static")
    set(static_arg -DTravimo_USE_STATIC_LIBS=ON)
  endif()
  run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${build} -G ${GENERATOR} ${static_arg}
      -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${PREFIX}
      "-DCMAKE_EXE_LINKER_FLAGS=${link_flags}")
  run(${CMAKE_COMMAND} --build ${build})
  expect_output(${build}/consumer "find_package (${variant})")
  run(readelf -d ${build}/consumer)
  string(FIND "${out}" "[libtravimo.so.1]" needed)
  if(variant STREQUAL "shared" AND needed EQUAL -1)
    message(FATAL_ERROR "Travimo::travimo did not link libtravimo.so.1:\n${out}")
  elseif(variant STREQUAL "static" AND NOT needed EQUAL -1)
    message(FATAL_ERROR "Travimo_USE_STATIC_LIBS still linked libtravimo.so.1")
  endif()
endforeach()

file(GLOB shared_library ${PREFIX}/lib/libtravimo.so.1 ${PREFIX}/lib/*/libtravimo.so.1)
list(GET shared_library 0 shared_library)
get_filename_component(lib_dir ${shared_library} DIRECTORY)
run(readelf -d ${shared_library})
if(NOT out MATCHES "Library soname: \\[libtravimo\\.so\\.1\\]")
  message(FATAL_ERROR "libtravimo.so.1 has no SONAME libtravimo.so.1:\n${out}")
endif()
run(nm -D --defined-only -C ${shared_library})
string(REGEX REPLACE "\n$" "" exported "${out}")
string(REPLACE "\n" ";" exported "${exported}")
list(FILTER exported EXCLUDE REGEX "travimo::|TRAVIMO_1")
if(exported)
  list(GET exported 0 first)
  list(LENGTH exported count)
  message(FATAL_ERROR "libtravimo.so.1 exports ${count} symbols outside namespace travimo, e.g. ${first}")
endif()

# pkg-config
find_program(PKG_CONFIG pkg-config)
if(PKG_CONFIG)
  file(GLOB pc_files ${PREFIX}/lib/pkgconfig/travimo.pc ${PREFIX}/lib/*/pkgconfig/travimo.pc)
  list(GET pc_files 0 pc_file)
  get_filename_component(pc_dir ${pc_file} DIRECTORY)
  set(ENV{PKG_CONFIG_PATH} ${pc_dir})
  run(${PKG_CONFIG} --cflags --libs travimo)
  separate_arguments(pc_flags UNIX_COMMAND "${out}")
  run(${CXX} ${CONSUMER_DIR}/main.cpp -o ${WORK_DIR}/consumer-pc ${pc_flags} ${link_flags})
  set(ENV{LD_LIBRARY_PATH} ${lib_dir})
  expect_output(${WORK_DIR}/consumer-pc pkg-config)
endif()

# The Python package, when this build has one.
file(GLOB module ${PREFIX}/${PYTHON_DIR}/travimo/_travimo*.so)
if(module AND PYTHON)
  set(ENV{PYTHONPATH} ${PREFIX}/${PYTHON_DIR})
  run(${PYTHON} -c "import travimo\nprint(travimo.__file__)")
  string(FIND "${out}" "${PREFIX}" at)
  if(NOT at EQUAL 0)
    message(FATAL_ERROR "imported travimo from ${out}, not from the installed package")
  endif()
endif()
message(STATUS "installed package works: ${expected}")
