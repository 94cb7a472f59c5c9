# PortAudio for the Windows program, built from Debian's portaudio19 source
# package, the same source audio/portaudio/ builds the Linux one from, rather
# than a vendored copy. The source is fetched once into the build tree at configure time;
# later configures find it there and fetch nothing.
#
# Only the MME host is built: the one the classic interface played through,
# and the one Wine serves. DirectSound, WDM-KS and ASIO stay off, and this
# PortAudio's CMake cannot build WASAPI with MinGW.
#
# Defines tonegen_portaudio, an imported static library.
include(ExternalProject)

set(portaudio_cache ${CMAKE_BINARY_DIR}/_deps/portaudio)
execute_process(
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/fetch-portaudio-source ${portaudio_cache}
  OUTPUT_VARIABLE portaudio_source
  OUTPUT_STRIP_TRAILING_WHITESPACE
  RESULT_VARIABLE fetched)
if(NOT fetched EQUAL 0)
  message(FATAL_ERROR "could not fetch Debian's portaudio19 source (see above)")
endif()

set(portaudio_build ${portaudio_cache}/build)
set(portaudio_library ${portaudio_build}/libportaudio_static.a)
ExternalProject_Add(portaudio_windows
  SOURCE_DIR ${portaudio_source}
  BINARY_DIR ${portaudio_build}
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
    -DCMAKE_BUILD_TYPE=Release
    -DPA_USE_WMME=ON
    -DPA_USE_DS=OFF
    -DPA_USE_WDMKS=OFF
    -DPA_USE_WDMKS_DEVICE_INFO=OFF
    -DPA_USE_ASIO=OFF
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${portaudio_build} --target portaudio_static
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${portaudio_library})

add_library(tonegen_portaudio STATIC IMPORTED GLOBAL)
# The include directory must exist when the target is defined.
file(MAKE_DIRECTORY ${portaudio_source}/include)
set_target_properties(tonegen_portaudio PROPERTIES
  IMPORTED_LOCATION ${portaudio_library}
  INTERFACE_INCLUDE_DIRECTORIES ${portaudio_source}/include
  INTERFACE_LINK_LIBRARIES "tonegen_winmm_delayed;ole32;uuid")
add_dependencies(tonegen_portaudio portaudio_windows)

# WINMM.dll, which the MME host plays through, is not one of the DLLs that
# Windows only ever takes from its system folder: imported directly, the
# loader would look for it beside the program first, and run whatever lies
# there under that name. Delay-loaded, it is loaded at its first call, which
# the program's entry point makes sure comes from the system folder only
# (framework/win32/system_dlls.cpp).
include(${PROJECT_SOURCE_DIR}/cmake/SystemDllExports.cmake)
set(winmm_def ${CMAKE_BINARY_DIR}/_deps/winmm/winmm.def)
set(winmm_delayed ${CMAKE_BINARY_DIR}/_deps/winmm/libwinmm_delayed.a)
system_dll_def(winmm ${winmm_def})
find_program(TONEGEN_DLLTOOL x86_64-w64-mingw32-dlltool REQUIRED)
execute_process(COMMAND ${TONEGEN_DLLTOOL} --input-def ${winmm_def} --dllname WINMM.dll --output-delaylib ${winmm_delayed}
                COMMAND_ERROR_IS_FATAL ANY)
add_library(tonegen_winmm_delayed STATIC IMPORTED GLOBAL)
set_target_properties(tonegen_winmm_delayed PROPERTIES IMPORTED_LOCATION ${winmm_delayed})
