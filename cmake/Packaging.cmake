# Debian package of the installed tree: `make package` builds it from a
# Release tree of its own (build-package) with `cpack -G DEB`.
include(${PROJECT_SOURCE_DIR}/cmake/Version.cmake)

# Debian expects every package to state its licence at this path.
set(tonegen_copyright ${PROJECT_BINARY_DIR}/copyright)
file(WRITE ${tonegen_copyright} [=[
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: tonegen
Upstream-Contact: tonegen project <tonegen@localhost>

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
]=])
install(FILES ${tonegen_copyright} DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tonegen)
set(CPACK_PACKAGE_VERSION ${tonegen_VERSION})
set(CPACK_PACKAGE_VENDOR "tonegen project")
set(CPACK_PACKAGE_CONTACT "tonegen project <tonegen@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The version note in the binary is an allocated section, so stripping keeps it.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "tonegen project <tonegen@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# CPack puts the project's DESCRIPTION on the summary line; this is the body.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[tonegen turns the computer's sound card into a precise tone source.
One fixed dialog, in Simplified Chinese: pick one of eight sample rates
(8000 to 96000 Hz), type a whole-number frequency in hertz and a duration
in seconds, and start continuous output or output that stops by itself.
The one-second table loops seamlessly, sample for sample, for checking
speakers and cables, tuning, lab work and teaching.]=])
# Qt, PortAudio and the C++ runtime come from dpkg-shlibdeps. The dialog's
# layout is drawn for a Song/Ming face, which no shared library pulls in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk | fonts-arphic-uming")
# PortAudio reaches the desktop's sound server through ALSA's pulse plugin.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse, libasound2-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
