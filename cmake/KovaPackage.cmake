# The Debian package of the station: everything `cmake --install` gives, every component, under
# /usr. `cpack -G DEB --config <build>/CPackConfig.cmake` makes it (the test suite does). The
# run-time dependencies are what dpkg-shlibdeps finds the programs, modules and libCalib.so link
# (it follows their $ORIGIN search paths into the package, where libQuorvel.so is its own).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME calib)
set(CPACK_PACKAGE_VENDOR KOVA)
set(CPACK_PACKAGE_CONTACT "KOVA line software <software@kova.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Station calibration tool of the KOVA inspection line")
set(CPACK_PACKAGE_DESCRIPTION "Calib calibrates and verifies the channels of the line's test \
benches. The package holds the tool with its stand-in modules, the LED board server, the profile \
and message tools, the records reader (kovarecords), the demo station (kovademo) and libCalib.so \
for the line's other programs.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libCalib.so is a library for the line's other programs: a shlibs file and the ldconfig trigger.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
# A program built against this version runs with any later one of the same major version.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# The records store opens its SQLite file through Qt's driver plugin, which no program links; the
# PostgreSQL driver is needed only where a site database is set.
set(CPACK_DEBIAN_PACKAGE_DEPENDS libqt6sql6-sqlite)
# The windows' texts are Chinese.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei, libqt6sql6-psql")
include(CPack)
