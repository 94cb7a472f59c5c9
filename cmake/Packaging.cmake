# Debian package of the installed tree: `make package` builds it from a
# Release tree of its own (build-package) with `cpack -G DEB`.
include(${PROJECT_SOURCE_DIR}/cmake/Version.cmake)

# Debian expects every package to state its licence at this path.
set(tonegen_copyright ${PROJECT_BINARY_DIR}/copyright)
string(CONFIGURE [=[
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: tonegen
Upstream-Contact: @TONEGEN_CONTACT@

Files: *
Copyright: 2026 tonegen project
License: MIT

License: MIT
 Permission is hereby granted, free of charge, to any person obtaining a copy
 of this software and associated documentation files (the "Software"), to deal
 in the Software without restriction, including without limitation the rights
 to use, copy, modify, merge, publish, distribute, sublicense, and/or sell
 copies of the Software, and to permit persons to whom the Software is
 furnished to do so, subject to the following conditions:
 .
 The above copyright notice and this permission notice shall be included in
 all copies or substantial portions of the Software.
 .
 THE SOFTWARE IS PROVIDED "AS IS", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR
 IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY,
 FITNESS FOR A PARTICULAR PURPOSE AND NONINFRINGEMENT. IN NO EVENT SHALL THE
 AUTHORS OR COPYRIGHT HOLDERS BE LIABLE FOR ANY CLAIM, DAMAGES OR OTHER
 LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING FROM,
 OUT OF OR IN CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER DEALINGS IN
 THE SOFTWARE.
]=] copyright_text @ONLY)
file(WRITE ${tonegen_copyright} "${copyright_text}")
install(FILES ${tonegen_copyright} DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The manual page and the changelog, compressed as Debian ships them: at the
# highest level, without a name or time stamp, so rebuilds do not differ.
configure_file(${PROJECT_SOURCE_DIR}/docs/tonegen.1.in ${PROJECT_BINARY_DIR}/tonegen.1 @ONLY)
set(tonegen_gzipped)
foreach(doc ${PROJECT_BINARY_DIR}/tonegen.1 ${PROJECT_SOURCE_DIR}/docs/changelog)
  get_filename_component(name ${doc} NAME)
  set(out ${PROJECT_BINARY_DIR}/${name}.gz)
  add_custom_command(OUTPUT ${out} COMMAND sh -c "gzip -9nc \"$1\" > \"$2\"" sh ${doc} ${out}
                     DEPENDS ${doc} VERBATIM)
  list(APPEND tonegen_gzipped ${out})
endforeach()
add_custom_target(tonegen_docs ALL DEPENDS ${tonegen_gzipped})
install(FILES ${PROJECT_BINARY_DIR}/tonegen.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# A package versioned without a Debian revision is native, whose changelog
# Debian names changelog.gz.
install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tonegen)
set(CPACK_PACKAGE_VERSION ${tonegen_VERSION})
set(CPACK_PACKAGE_VENDOR "tonegen project")
set(CPACK_PACKAGE_CONTACT "${TONEGEN_CONTACT}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The version note in the binary is an allocated section, so stripping keeps it.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TONEGEN_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TONEGEN_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# CPack puts the project's DESCRIPTION on the summary line; this is the body.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[tonegen turns the computer's sound card into a precise tone source.
One fixed dialog, in Simplified Chinese: pick one of eight sample rates
(8000 to 96000 Hz), type a whole-number frequency in hertz and a duration
in seconds, and start continuous output or output that stops by itself.
The one-second table loops seamlessly, sample for sample, for checking
speakers and cables, tuning, lab work and teaching.]=])
# Qt, ALSA and JACK (which the built-in PortAudio uses) and the C++ runtime
# come from dpkg-shlibdeps. What they load at run time, no shared library
# pulls in: the Song/Ming face the dialog's layout is drawn for, and Qt's
# Wayland platform, without which the program aborts before showing anything
# on a desktop that offers only Wayland (Qt brings its X11 platform itself).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk | fonts-arphic-uming, qt6-wayland")
# PortAudio reaches the desktop's sound server through ALSA's pulse plugin.
# Qt's translations put its own texts (a field's context menu) in Chinese;
# the program works without them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse, libasound2-plugins, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
