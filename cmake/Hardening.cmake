# The hardening Debian builds its own packages with (dpkg-buildflags with
# hardening=+all), for every Linux build: the tests then run the code the
# package ships. Position-independent executables, stack protection, checked
# libc calls, a read-only relocation table resolved at start; and, where the
# compiler offers them for the machine, stack clash and control-flow
# protection, as newer dpkg-buildflags add too. (On Debian 12 the C
# library's start files carry no control-flow marking, so the linked program
# is not marked either; the code is ready for when they are.)
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
  return()
endif()

set(CMAKE_POSITION_INDEPENDENT_CODE ON)
include(CheckPIESupported)
check_pie_supported()

add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
include(CheckCXXCompilerFlag)
foreach(flag -fstack-clash-protection -fcf-protection)
  string(MAKE_C_IDENTIFIER "TONEGEN_HAS${flag}" have)
  check_cxx_compiler_flag(${flag} ${have})
  if(${have})
    add_compile_options(${flag})
  endif()
endforeach()
# glibc's checked calls need the optimiser, and warn without it; the
# sanitizer presets build without. Undefined first, for compilers that
# define a level of their own.
add_compile_options("$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
add_link_options(-Wl,-z,relro -Wl,-z,now)
