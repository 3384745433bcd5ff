# cmake -DNM=<nm> -DLIBRARY=<libLibCommonCfg.so> -P check_typeinfo.cmake
# Clients that derive from SetupFile need its vtable and type information
# from the shared library.
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY} RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
foreach(symbol _ZTVN12LibCommonCfg9SetupFileE _ZTIN12LibCommonCfg9SetupFileE _ZTSN12LibCommonCfg9SetupFileE)
  if(NOT out MATCHES " ${symbol}\n")
    message(FATAL_ERROR "not exported: ${symbol}")
  endif()
endforeach()
message(STATUS "vtable and type information of SetupFile are exported")
