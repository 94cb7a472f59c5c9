# embed_binary(<out_var> <file>): sets <out_var> to the file's bytes as a
# comma-separated list of C++ hex literals, and reconfigures when it changes.
function(embed_binary out_var file)
  file(READ "${file}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  set(${out_var} "${bytes}" PARENT_SCOPE)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${file}")
endfunction()
