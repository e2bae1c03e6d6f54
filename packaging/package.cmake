# The Debian package: cpack -G DEB in a build folder gives lognex_<version>_<arch>.deb.
# Its dependencies are found by dpkg-shlibdeps from what the executables link,
# plus the Qt platform plugins, which are loaded at run time and so not seen.
set(CPACK_PACKAGE_NAME lognex)
set(CPACK_PACKAGE_VENDOR "Lognex")
set(CPACK_PACKAGE_CONTACT "Lognex Team <lognex@lognex.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "sorts and counts the error log of a wafer prober")
# The long description; CPack indents its lines for the control file, which
# holds at most 80 characters a line.
set(CPACK_PACKAGE_DESCRIPTION "\
Lognex reads the error log of an Electroglas 40x0-series wafer
prober, pairs its lines into entries and counts every distinct error.
It shows the raw log, a summary from the most frequent error down and
a tree of errors whose occurrences jump back into the log. The summary
saves as text and the occurrences export to an Excel 97 workbook. The
batch tool lognex-report does the same for scripts.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hicolor-icon-theme, shared-mime-info, desktop-file-utils")

include(CPack)
