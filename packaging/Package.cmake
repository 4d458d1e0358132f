# The Debian package, made by `cpack` (scripts/package) from a finished build.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrio)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Kestrio")
set(CPACK_PACKAGE_CONTACT "Kestrio <support@kestrio.cn>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Kestrio支票打印 - fill in bills and print them onto pre-printed forms")
set(CPACK_PACKAGE_DESCRIPTION
"A desktop program for offices that print onto pre-printed paper forms: bank cheques,
deposit and remittance slips, delivery notes. A format is designed for each kind of form
over a scanned image of the blank form; one bill is typed and only its contents are
printed onto the paper. Every printed bill is kept as history.")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries the program links are declared by dpkg-shlibdeps; the fonts it prints
# Chinese with, Qt's own Chinese texts (standard buttons, file dialogs) and the TIFF reader
# for scanned backgrounds (a plug-in) are not linked.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, qt6-translations-l10n, qt6-image-formats-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-qpa-plugins")

include(CPack)
