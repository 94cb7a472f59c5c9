# Identity shared by the program, its desktop metadata, the Debian package
# and the Windows installer.
# Included from app/ (version header, desktop files, Windows resources), from
# Packaging.cmake and from packaging/windows, so all read the same values; it
# only sets variables and may run more than once.

# Reverse-DNS id: names the .desktop file, the AppStream component and the
# icon, so launchers and software centres can tie the three together.
set(TONEGEN_APP_ID "org.tonegen.ToneGen")

# Who answers for the program: the package's maintainer, the upstream
# contact, the signature of the changelog.
set(TONEGEN_CONTACT "tonegen project <team@tonegen.org>")
set(TONEGEN_HOMEPAGE "https://tonegen.org/")

# The dialog is written in Simplified Chinese only; BCP 47 form, as in
# AppStream's xml:lang and the embedded version line.
set(TONEGEN_LANGUAGE "zh-CN")

# Date of the release named by project(VERSION); AppStream wants both, and
# taking the date from the build clock would make rebuilds differ.
set(TONEGEN_RELEASE_DATE "2026-12-08")

# How the program is named to users, and by whom it is published: the
# desktop entry, the AppStream name, the Windows version resources, the
# Start-menu shortcut and the list of installed programs all show these.
set(TONEGEN_DISPLAY_NAME "正弦波信号发生器")
set(TONEGEN_PUBLISHER "tonegen 项目")
set(TONEGEN_COPYRIGHT "© 2026 ${TONEGEN_PUBLISHER}，MIT 许可证")

set(TONEGEN_VERSION_LINE "tonegen ${tonegen_VERSION} ${TONEGEN_LANGUAGE}")

# Locale spelling of the same language, for AppStream's <languages>.
string(REPLACE "-" "_" TONEGEN_LANGUAGE_UNDERSCORE "${TONEGEN_LANGUAGE}")
