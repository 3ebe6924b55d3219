# The Debian packages (cpack -G DEB in a CLI_PACKAGE_ONLY build), one per install component:
# - quorvelctl: the program, its man page, its bash completion and the udev rule that lets the logged-in user
#   reach the printers;
# - quorvelprint (where PAPPL is installed): the printer application, its man page, its systemd service and the
#   system user it runs as. A package of its own, so that quorvelctl does not pull in PAPPL, CUPS' library and
#   their TLS and DNS-SD libraries on a box that only configures printers.
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL quorvelctl)
if(TARGET quorvelprint)
  list(APPEND CPACK_COMPONENTS_ALL quorvelprint)
endif()
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quorvel developers <quorvel-devel@quorvel.example.org>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Debian wants the summary on the first line and the long description in lines of at most 80 characters.
set(CPACK_DEBIAN_QUORVELCTL_PACKAGE_NAME quorvelctl)
set(CPACK_DEBIAN_QUORVELCTL_PACKAGE_SECTION utils)
string(CONCAT CPACK_DEBIAN_QUORVELCTL_DESCRIPTION
       "configure USB thermal label and receipt printers from the command line\n"
       "quorvelctl lists the attached printers (USB printer class, vendor 1A86),\n"
       "reads and shows their parameters, changes their settings with a read-back\n"
       "check, saves and applies settings profiles on many printers at once, and\n"
       "sends self-test, raw and firmware data to the printer over USB.")
set(CPACK_DEBIAN_QUORVELCTL_PACKAGE_CONTROL_EXTRA
    ${REPO_ROOT}/cli/packaging/postinst ${REPO_ROOT}/cli/packaging/postrm)

set(CPACK_DEBIAN_QUORVELPRINT_PACKAGE_NAME quorvelprint)
set(CPACK_DEBIAN_QUORVELPRINT_PACKAGE_SECTION net)
string(CONCAT CPACK_DEBIAN_QUORVELPRINT_DESCRIPTION
       "printer application for USB thermal label and receipt printers\n"
       "quorvelprint is an IPP Everywhere printer application for the USB\n"
       "thermal label and receipt printers of vendor 1A86: CUPS, desktops, phones\n"
       "and Windows' IPP class driver print to it without a driver of their own.\n"
       "It sends the printers the bytes their Windows driver sends, sets their\n"
       "paper sensor from each job's media type, adds plugged-in printers by\n"
       "itself and reaches printers behind a print server over AppSocket.\n"
       "The package runs it as a hardened systemd service.")
# The service reaches USB printers as the group lp through quorvelctl's udev rule: the same version of quorvelctl
# comes with it.
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_COMPONENT_QUORVELPRINT_DEPENDS quorvelctl)
# systemd-sysusers and systemd-tmpfiles make the service's user and socket folder at install time; they come with
# systemd, or alone on systems that boot with another init.
set(CPACK_DEBIAN_QUORVELPRINT_PACKAGE_DEPENDS
    "systemd | systemd-standalone-sysusers, systemd | systemd-standalone-tmpfiles")
set(CPACK_DEBIAN_QUORVELPRINT_PACKAGE_RECOMMENDS "avahi-daemon")
set(CPACK_DEBIAN_QUORVELPRINT_PACKAGE_CONTROL_EXTRA
    ${REPO_ROOT}/print_app/packaging/postinst ${REPO_ROOT}/print_app/packaging/prerm
    ${REPO_ROOT}/print_app/packaging/postrm)
include(CPack)
