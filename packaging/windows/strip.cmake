# Run by CPack on the staged files: nothing shipped carries debugging
# information. The link time stays in each, so every package holds the same bytes.
file(GLOB_RECURSE binaries "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*.exe"
                           "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*.dll")
foreach(binary IN LISTS binaries)
  execute_process(COMMAND "${CPACK_DOZUZEZO_STRIP}" --strip-all --preserve-dates "${binary}"
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "could not strip ${binary}")
  endif()
endforeach()
