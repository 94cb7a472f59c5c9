# A module definition file naming every function a Windows system DLL
# exports, read from the cross toolchain's import library of it:
#   system_dll_def(<dll> <output .def> [<alias>])
# With an alias, every export is that one function of the DLL being built
# (a stand-in); without, it describes the system DLL itself.
function(system_dll_def dll output)
  find_library(import_lib_${dll} ${dll} REQUIRED)
  execute_process(COMMAND ${CMAKE_NM} -g --defined-only ${import_lib_${dll}}
                  OUTPUT_VARIABLE symbols ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
  # An import library defines a stub (T) and an import pointer (I) for each.
  string(REGEX MATCHALL "[0-9a-f]+ T [A-Za-z0-9_@?]+" stubs "${symbols}")
  list(REMOVE_DUPLICATES stubs)
  set(text "LIBRARY ${dll}.dll\nEXPORTS\n")
  foreach(stub ${stubs})
    string(REGEX REPLACE "^[0-9a-f]+ T " "" name "${stub}")
    if(ARGC GREATER 2)
      string(APPEND text "  ${name}=${ARGV2}\n")
    else()
      string(APPEND text "  ${name}\n")
    endif()
  endforeach()
  file(CONFIGURE OUTPUT ${output} CONTENT "${text}" @ONLY)
endfunction()
