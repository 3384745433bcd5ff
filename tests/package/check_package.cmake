# cmake -P check_package.cmake with BUILD_DIR, WORK_DIR, CLIENT_DIR, CXX, PKG_CONFIG
# and, for a 32-bit build, CXX_FLAGS, TOOLCHAIN_FILE, EMULATOR (the programs
# are started through it) and PKG_CONFIG_LIBDIR (where Qt5Core.pc is).
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    string(JOIN " " cmd ${ARGN})
    message(FATAL_ERROR "failed (${rc}): ${cmd}\n${out}\n${err}")
  endif()
  set(LAST_OUTPUT "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

foreach(f include/LibCommonCfg/libcommoncfg.h include/LibCommonCfg/inifile.h
          include/LibCommonCfg/libcommoncfg_export.h lib/libLibCommonCfg.so.1.0.0
          lib/cmake/LibCommonCfg/LibCommonCfgConfig.cmake lib/pkgconfig/libcommoncfg.pc)
  if(NOT EXISTS ${prefix}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()

# 1. find_package(LibCommonCfg) from a project outside the tree.
set(client_args -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX})
if(TOOLCHAIN_FILE)
  list(APPEND client_args -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN_FILE})
endif()
run(${CMAKE_COMMAND} -S ${CLIENT_DIR} -B ${WORK_DIR}/client-build ${client_args})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/client-build)
run(${EMULATOR} ${WORK_DIR}/client-build/client)
if(NOT LAST_OUTPUT STREQUAL "modem=1 moddate=0x2a\n")
  message(FATAL_ERROR "client printed: '${LAST_OUTPUT}'")
endif()

# 2. pkg-config, as a Makefile-based client would use it.
if(PKG_CONFIG)
  set(ENV{PKG_CONFIG_PATH} ${prefix}/lib/pkgconfig)
  if(PKG_CONFIG_LIBDIR)
    set(ENV{PKG_CONFIG_LIBDIR} ${PKG_CONFIG_LIBDIR})
  endif()
  run(${PKG_CONFIG} --cflags --libs libcommoncfg)
  string(STRIP "${LAST_OUTPUT}" flags)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  separate_arguments(cxx_flags UNIX_COMMAND "${CXX_FLAGS}")
  run(${CXX} ${cxx_flags} -std=c++17 ${CLIENT_DIR}/main.cpp -o ${WORK_DIR}/pc-client ${flags})
  set(ENV{LD_LIBRARY_PATH} ${prefix}/lib)
  run(${EMULATOR} ${WORK_DIR}/pc-client)
  if(NOT LAST_OUTPUT STREQUAL "modem=1 moddate=0x2a\n")
    message(FATAL_ERROR "pkg-config client printed: '${LAST_OUTPUT}'")
  endif()
else()
  message(FATAL_ERROR "pkg-config not found")
endif()
