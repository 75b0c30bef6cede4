# The Debian package: quillmar_<version>_<arch>.deb, made by `cpack -G DEB`
# in a Release build directory. lintian finds no error in it; it warns
# copyright-without-copyright-notice because the maker's notice carries no
# year, and gives a few hints on the programs' section and hardening
# flags (scripts/package.sh builds with Debian's hardening flags).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillmar)
set(CPACK_PACKAGE_VENDOR Norvex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${QUILLMAR_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "editor, compiler and loader for Norvex power supply programs")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QUILLMAR_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# CPack puts the summary above this long description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Quillmar edits the control programs of Norvex programmable power supplies,
colouring the text as it is typed, compiles them into the device's
instruction records, writes them into one of the device's four memory
cells over a serial port and reads stored programs back as source text.
Its window speaks Russian.
.
The package holds the window (quillmar), the command-line tool
quillmar-cli (compile, upload and download from scripts) and quillmar-device,
an emulated power supply on a pseudo-terminal for trying things out
without the device.")

include(CPack)
