# The Debian package: `cpack -G DEB` in the build folder. Its dependencies come from the shared
# libraries the programs link (dpkg-shlibdeps), not from a hand-written list.
set(CPACK_PACKAGE_NAME zentrip)
set(CPACK_PACKAGE_VENDOR "Zentrip developers")
set(CPACK_PACKAGE_CONTACT "Zentrip developers <developers@zentrip.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "program Orvane controllers over a serial line or a modem")
set(CPACK_PACKAGE_DESCRIPTION
"Zentrip programs Orvane 7K and 7330 series controllers from a text program
file. Write the program in its editor, with include files, symbols, comments,
timed waits and clock-setting lines, and start a run: each expanded line goes
to the controller directly over an RS232 cable, where every answer is checked
and every complaint is logged with its line number, or as touch tones through
a Hayes modem, by telephone or on a local line.

Beside programming it is a small serial terminal with local echo, XMODEM send
and receive and raw text upload. zentrip-cli does all of this without a
window, and zentrip-sim simulates a controller and modem for trying it out
without hardware.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "lrzsz, socat")
include(CPack)
