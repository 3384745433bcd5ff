# cmake -P check_package.cmake with BUILD_DIR, PACKAGE (LibCommonCfg or
# LibCommonCfgQt6), WORK_DIR, CLIENT_DIR, CXX, PKG_CONFIG, READELF and, for a 32-bit
# build, CXX_FLAGS, TOOLCHAIN_FILE, EMULATOR (the programs are started
# through it) and PKG_CONFIG_LIBDIR (where Qt's .pc files are).
# With OTHER_BUILD_DIR and OTHER_PACKAGE, that build is installed into the
# same prefix first, and a client is built against each package afterwards:
# the two install side by side.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    string(JOIN " " cmd ${ARGN})
    message(FATAL_ERROR "failed (${rc}): ${cmd}\n${out}\n${err}")
  endif()
  set(LAST_OUTPUT "${out}" PARENT_SCOPE)
endfunction()

# What one package puts where: its headers, library, CMake package and
# pkg-config name.
function(package_layout package)
  if(package STREQUAL "LibCommonCfg")
    set(include include PARENT_SCOPE)
    set(pc libcommoncfg PARENT_SCOPE)
  elseif(package STREQUAL "LibCommonCfgQt6")
    set(include include/LibCommonCfgQt6 PARENT_SCOPE)
    set(pc libcommoncfg-qt6 PARENT_SCOPE)
  else()
    message(FATAL_ERROR "unknown package '${package}'")
  endif()
endfunction()

function(check_installed package)
  package_layout(${package})
  foreach(f ${include}/LibCommonCfg/libcommoncfg.h ${include}/LibCommonCfg/inifile.h
            ${include}/LibCommonCfg/libcommoncfg_export.h lib/lib${package}.so.1.0.0
            lib/cmake/${package}/${package}Config.cmake lib/pkgconfig/${pc}.pc)
    if(NOT EXISTS ${prefix}/${f})
      message(FATAL_ERROR "not installed: ${f}")
    endif()
  endforeach()
endfunction()

# The same client, once through the CMake package and once through
# pkg-config, with nothing but the package's name changed.
# The client must load this package's library, not the other one's.
function(check_links binary package)
  run(${READELF} -d ${binary})
  if(NOT LAST_OUTPUT MATCHES "Shared library: \\[lib${package}\\.so\\.1\\]")
    message(FATAL_ERROR "${binary} does not load lib${package}.so.1:\n${LAST_OUTPUT}")
  endif()
endfunction()

function(check_client package)
  package_layout(${package})
  set(client_args -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX} -DLCC_PACKAGE=${package})
  if(TOOLCHAIN_FILE)
    list(APPEND client_args -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN_FILE})
  endif()
  set(build ${WORK_DIR}/client-${package})
  run(${CMAKE_COMMAND} -S ${CLIENT_DIR} -B ${build} ${client_args})
  run(${CMAKE_COMMAND} --build ${build})
  check_links(${build}/client ${package})
  run(${EMULATOR} ${build}/client)
  if(NOT LAST_OUTPUT STREQUAL "modem=1 moddate=0x2a\n")
    message(FATAL_ERROR "${package} client printed: '${LAST_OUTPUT}'")
  endif()

  if(NOT PKG_CONFIG)
    message(FATAL_ERROR "pkg-config not found")
  endif()
  set(ENV{PKG_CONFIG_PATH} ${prefix}/lib/pkgconfig)
  if(PKG_CONFIG_LIBDIR)
    set(ENV{PKG_CONFIG_LIBDIR} ${PKG_CONFIG_LIBDIR})
  endif()
  run(${PKG_CONFIG} --cflags --libs ${pc})
  string(STRIP "${LAST_OUTPUT}" flags)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  separate_arguments(cxx_flags UNIX_COMMAND "${CXX_FLAGS}")
  run(${CXX} ${cxx_flags} -std=c++17 ${CLIENT_DIR}/main.cpp -o ${WORK_DIR}/pc-client-${package} ${flags})
  set(ENV{LD_LIBRARY_PATH} ${prefix}/lib)
  check_links(${WORK_DIR}/pc-client-${package} ${package})
  run(${EMULATOR} ${WORK_DIR}/pc-client-${package})
  if(NOT LAST_OUTPUT STREQUAL "modem=1 moddate=0x2a\n")
    message(FATAL_ERROR "${package} pkg-config client printed: '${LAST_OUTPUT}'")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
if(OTHER_BUILD_DIR)
  if(NOT EXISTS ${OTHER_BUILD_DIR}/cmake_install.cmake)
    message(FATAL_ERROR "no build of ${OTHER_PACKAGE} to install beside this one in '${OTHER_BUILD_DIR}'")
  endif()
  run(${CMAKE_COMMAND} --install ${OTHER_BUILD_DIR} --prefix ${prefix})
endif()
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

check_installed(${PACKAGE})
check_client(${PACKAGE})
if(OTHER_BUILD_DIR)
  check_installed(${OTHER_PACKAGE})
  check_client(${OTHER_PACKAGE})
endif()
