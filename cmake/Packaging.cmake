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
find_program(NORVA_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(NORVA_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
# A Japanese font for the windows, Qt's Japanese translations for its dialogs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic | fonts-japanese-gothic, qt6-translations-l10n")
include(CPack)
