# The Debian package (scripts/package): CPack's DEB generator over the install rules, under /usr,
# with the library dependencies computed by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quelmo)
set(CPACK_PACKAGE_VENDOR Dovrenne)
set(CPACK_PACKAGE_CONTACT "Dovrenne <contact@quelmo.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small MP3 player with a French interface")
set(CPACK_PACKAGE_DESCRIPTION
    "Quelmo plays the MP3 files of a folder, one after the other, round and round. One window shows
the drives, the folders and the MP3 files; the player can live in the notification area, remembers
where you were, and answers the desktop's media keys and media controls (MPRIS2).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.quelmo.example")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the libraries do not say: the fonts the window's design is drawn with, and the sound
# outputs that out123 loads when no PulseAudio server answers.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "mpg123, qt6-wayland")
include(CPack)
