# cpack -G DEB (from the build folder): a Debian package of what the install
# rules put under /usr. The libraries it needs come from dpkg-shlibdeps when
# it is there.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME norva)
set(CPACK_PACKAGE_VENDOR "norva developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "mahjong player's record from the score log mjscore.txt")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "norva reads the Shift_JIS score log mjscore.txt of an online four-player
mahjong client and shows one player's record: games, ranks with their
shares and longest runs, scores, how every hand ended, wins by han class,
and five graphs. It saves a text report and prints the results with the
graph. The interface is Japanese. The package also holds norva-calc, the
same calculation on the command line.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "norva maintainers <maintainers@norva.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# What the program loads at run time besides the libraries it links, which
# dpkg-shlibdeps cannot see: the SVG image and icon plugins that draw every
# icon (libqt6svg6), and the window system's platform plugin (libqt6gui6).
# scripts/check-package.sh installs the package into a minimal Debian root
# and sees the programs start and draw their icons.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6 (>= 6.4), libqt6gui6 (>= 6.4)")
find_program(NORVA_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(NORVA_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
    # The linked libraries by name where dpkg-shlibdeps cannot list them.
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libqt6core6 (>= 6.4), libqt6widgets6 (>= 6.4), "
        "libqt6printsupport6 (>= 6.4), libstdc++6 (>= 12), libc6 (>= 2.34)")
endif()
# A Japanese font for the windows, Qt's Japanese translations for its dialogs,
# Wayland without the X server, the desktop's viewer for the manual.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-ipafont-gothic | fonts-japanese-gothic, qt6-translations-l10n, qt6-wayland, xdg-utils")
include(CPack)
