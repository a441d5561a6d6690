# The Debian package: `cpack -G DEB` in a build tree makes
# kestrane_<version>_amd64.deb from the install rules (scripts/package.sh).
# The version is project()'s; dpkg-shlibdeps works out the libraries the two
# binaries need, and the list below adds what no binary links against.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrane)
set(CPACK_PACKAGE_VENDOR "Kestrane maintainers")
set(CPACK_PACKAGE_CONTACT "Kestrane maintainers <maintainers@users.noreply.c-seed-55cff9b7.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "resolve Baidu Netdisk share pages into download links")
set(CPACK_PACKAGE_DESCRIPTION
  "Kestrane takes the address of a Baidu Netdisk single-file share page and\n\
shows the file's direct download link, two mirror addresses, its name,\n\
kind, size and MD5 in one small Qt window; pressing an address copies it.\n\
kestrane-cli runs the same parse from scripts and prints plain lines,\n\
JSON Lines or an aria2 input file.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Loaded at run time, never linked: a font for the Chinese captions, Qt's
# Wayland platform plugin, Qt's own Chinese strings (message box buttons, the
# edit boxes' menu) and the SVG plugin that draws the window's icon.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "fonts-wqy-zenhei | fonts-noto-cjk, qt6-wayland, qt6-translations-l10n, libqt6svg6")
# The completion file is only read where bash-completion is installed.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "bash-completion")

include(CPack)
