# The printer application's installation besides its program, and its
# Debian package zanto-printer-app. Included by
# cmake/ZantoDebianPackage.cmake when printerapp/ builds the target
# zanto-printer-app, whose install rule puts the program into bin with the
# component PrinterApp. The package holds:
#   bin/zanto-printer-app
#   share/man/man1/zanto-printer-app.1.gz
#   lib/systemd/system/zanto-printer-app.service
# The unit is installed and not enabled: no preset, no maintainer script;
# the administrator enables it (zanto-printer-app(1), FILES).
zanto_manual_page(zanto-printer-app.1 PrinterApp)
install(FILES ${PROJECT_SOURCE_DIR}/printerapp/zanto-printer-app.service
    DESTINATION lib/systemd/system COMPONENT PrinterApp)

# libpappl1 comes from dpkg-shlibdeps; the profiles from the zanto package.
zanto_debian_package(PrinterApp zanto-printer-app SECTION net
    SUMMARY "IPP Everywhere printer application for character printers"
    DESCRIPTION "zanto-printer-app presents dot-matrix, daisy-wheel, receipt and label
printers as IPP Everywhere printers, so that any computer prints to them
without a driver of its own. Each printer is set up from a zanto profile
and a device (network, serial, parallel or USB port): plain text comes out
as zanto prints it, PDF and pictures through the printer's graphics
commands. It has a web interface and a systemd unit, which is not enabled
on installation."
    COMPONENTS Core Tool
    RECOMMENDS "avahi-daemon"
    SUGGESTS "cups-client")
