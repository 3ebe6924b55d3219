# The Debian package of quorvelctl (cpack -G DEB in a CLI_PACKAGE_ONLY build): the program, its man page and the
# udev rule that lets the logged-in user reach the printers.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvelctl)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configure USB thermal label and receipt printers from the command line")
# Debian wants the long description in lines of at most 80 characters.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "quorvelctl lists the attached printers (USB printer class, vendor 1A86),\n"
       "reads and shows their parameters, changes their settings with a read-back\n"
       "check, saves and applies settings profiles on many printers at once, and\n"
       "sends self-test, raw and firmware data to the printer over USB.")
set(CPACK_PACKAGE_CONTACT "Quorvel developers <quorvel-devel@quorvel.example.org>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${REPO_ROOT}/cli/packaging/postinst ${REPO_ROOT}/cli/packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
