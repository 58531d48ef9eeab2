# Installs the build tree into a fresh prefix, then builds and runs the consumer
# project against it, once through find_package and once through pkg-config,
# and imports the installed Python package.
#   cmake -DBUILD_DIR=... -DCONSUMER_DIR=... -DWORK_DIR=... -DCXX=... -DGENERATOR=...
#         [-DCONFIG=...] [-DSANITIZE=ON] [-DPYTHON=... -DPYTHON_DIR=...] -P run.cmake
set(expected "1 3 ComportError")
set(prefix ${WORK_DIR}/prefix)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    string(JOIN " " command ${ARGN})
    message(FATAL_ERROR "failed (${status}): ${command}\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(config_args "")
if(CONFIG)
  set(config_args --config ${CONFIG})
endif()
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} ${config_args})

set(link_flags "")
if(SANITIZE)
  set(link_flags -fsanitize=address,undefined)
endif()

# find_package(Travimo)
run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/build -G ${GENERATOR}
    -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${prefix}
    "-DCMAKE_EXE_LINKER_FLAGS=${link_flags}")
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run(${WORK_DIR}/build/consumer)
string(STRIP "${out}" printed)
if(NOT printed STREQUAL expected)
  message(FATAL_ERROR "the find_package consumer printed \"${printed}\", not \"${expected}\"")
endif()

# pkg-config
find_program(PKG_CONFIG pkg-config)
if(PKG_CONFIG)
  file(GLOB_RECURSE pc_files ${prefix}/*/travimo.pc)
  list(GET pc_files 0 pc_file)
  get_filename_component(pc_dir ${pc_file} DIRECTORY)
  set(ENV{PKG_CONFIG_PATH} ${pc_dir})
  run(${PKG_CONFIG} --cflags --libs travimo)
  separate_arguments(pc_flags UNIX_COMMAND "${out}")
  run(${CXX} ${CONSUMER_DIR}/main.cpp -o ${WORK_DIR}/consumer-pc ${pc_flags} ${link_flags})
  run(${WORK_DIR}/consumer-pc)
  string(STRIP "${out}" printed)
  if(NOT printed STREQUAL expected)
    message(FATAL_ERROR "the pkg-config consumer printed \"${printed}\", not \"${expected}\"")
  endif()
endif()

# The Python package, when this build has one.
file(GLOB module ${prefix}/${PYTHON_DIR}/travimo/_travimo*.so)
if(module AND PYTHON)
  set(ENV{PYTHONPATH} ${prefix}/${PYTHON_DIR})
  run(${PYTHON} -c "import travimo\nprint(travimo.__file__)")
  string(FIND "${out}" "${prefix}" at)
  if(NOT at EQUAL 0)
    message(FATAL_ERROR "imported travimo from ${out}, not from the installed package")
  endif()
endif()
message(STATUS "installed package works: ${expected}")
