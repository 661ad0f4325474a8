# The Debian package (cmake --build --preset default --target package): what cmake --install
# puts below /usr. Dependencies are computed from the binaries (dpkg-shlibdeps); the list below
# adds what the programs need at run time without linking to it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillmere)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillmere developers")
set(CPACK_PACKAGE_CONTACT "Quillmere developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "browser for web sites saved in a local directory")
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Quillmere views web sites that a crawler saved into a local directory (one\n"
    "sub-directory per host, the URL path below it). It maps each saved page back to\n"
    "the Internet address it came from and lets that address, or a fixed zone for\n"
    "local files, decide what the page may do: run scripts, load objects, download,\n"
    "keep cookies. All text the program shows is Japanese.")
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The SVG image and icon plugins, the Japanese fonts, and a session bus for the windows'
# automation interface. (The engine library's symbols file brings its helper process,
# libqt6webenginecore6-bin, and the library its resources and locales.)
string(CONCAT CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6svg6, fonts-noto-cjk, dbus, default-dbus-session-bus | dbus-session-bus")
include(CPack)
