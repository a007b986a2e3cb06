# Installs the build into a fresh prefix, builds examples/host against that prefix alone and runs
# it on a demo database made by the installed program. Run by CTest with cmake -P and:
#   BINARY_DIR, SOURCE_DIR, WORK_DIR, GENERATOR, CXX_COMPILER, CXX_FLAGS, LINKER_FLAGS, and
#   PYTHON (empty: the Python package is not tried against the installed library)
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
  set(output "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
run(${CMAKE_COMMAND} --install ${BINARY_DIR} --prefix ${prefix})
run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples/host -B ${WORK_DIR}/build -G ${GENERATOR}
  -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX_COMPILER}
  "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${LINKER_FLAGS}"
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_FIND_USE_SYSTEM_PACKAGE_REGISTRY=OFF)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run(${prefix}/bin/dorsel demo ${WORK_DIR}/demo.sqlite)
run(${WORK_DIR}/build/example_host ${WORK_DIR}/demo.sqlite VITE-M6X20)
if(NOT output MATCHES "Stock of VITE-M6X20 \\(1 rows\\)\n  warehouse '01'  minimum 500\n")
  message(FATAL_ERROR "unexpected output of the example host:\n${output}")
endif()
message(STATUS "${output}")

# The C interface is installed with its header, and the Python package reads the demo database
# through the installed library. (No semicolons in the script: run() would split it there.)
file(GLOB capi_library ${prefix}/lib*/libdorsel.so.0 ${prefix}/lib*/*/libdorsel.so.0)
if(NOT capi_library OR NOT EXISTS ${prefix}/include/dorsel/dorsel.h)
  message(FATAL_ERROR "libdorsel.so.0 or dorsel/dorsel.h is not installed under ${prefix}")
endif()
if(PYTHON)
  run(${CMAKE_COMMAND} -E env DORSEL_LIBRARY=${capi_library} PYTHONPATH=${SOURCE_DIR}/python/src
    PYTHONDONTWRITEBYTECODE=1 ${PYTHON} -c
    "import dorsel, sys\nc = dorsel.Component(db=sys.argv[1])\nc.Init_MG67_scorte('VITE-M6X20')\nprint(len(c.Grst_RecSet_MG67), 'stock rows')"
    ${WORK_DIR}/demo.sqlite)
  if(NOT output MATCHES "^1 stock rows")
    message(FATAL_ERROR "unexpected output of the Python package:\n${output}")
  endif()
endif()
