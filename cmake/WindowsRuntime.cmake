# The DLLs every Windows program of this tree needs beside it: the shared
# wxWidgets and the compiler's C++ runtime. They are copied into the top of
# the build tree, where the programs and tests run, and installed beside
# tonvale.exe.
file(GLOB TONVALE_RUNTIME_DLLS "${wxWidgets_DIR}/../../gcc_x64_dll/wx*.dll")
if(NOT TONVALE_RUNTIME_DLLS)
  message(FATAL_ERROR "no wxWidgets DLL beside ${wxWidgets_DIR}")
endif()
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "the compiler does not know where ${dll} is")
  endif()
  list(APPEND TONVALE_RUNTIME_DLLS "${path}")
endforeach()
file(COPY ${TONVALE_RUNTIME_DLLS} DESTINATION ${CMAKE_BINARY_DIR})
install(FILES ${TONVALE_RUNTIME_DLLS} DESTINATION ${CMAKE_INSTALL_BINDIR})
