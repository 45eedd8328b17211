# Packages made by `cpack` in the build folder; included from the top level
# after the install rules. `cpack -G DEB` makes mirelva-launcher_<version>_<arch>.deb,
# whose dependencies dpkg-shlibdeps (package dpkg-dev) reads off the launcher:
# on Debian 12 that pulls in the Qt 6 libraries it links against.
set(CPACK_PACKAGE_NAME mirelva-launcher)
set(CPACK_PACKAGE_VENDOR Kestrune)
set(CPACK_PACKAGE_CONTACT "Kestrune <launcher@kestrune.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Starts the Mirelva Emulator with saved profiles")
set(CPACK_PACKAGE_DESCRIPTION
  "The Mirelva Emulator Launcher starts the Mirelva Emulator with the screen\n\
resolution, pixel density, input method and extra arguments you pick.\n\
Favourite combinations are kept as named profiles in one text file per user.\n\
The emulator itself, MirelvaEmu.exe, is not part of this package: it is\n\
expected beside the launcher, in /usr/lib/mirelva-emulator.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Mirelva Emulator Launcher")
# The package holds what `cmake --install` lays out, without debugging information.
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
endif()

set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kestrune <launcher@kestrune.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION otherosfs)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Description field: CPACK_PACKAGE_DESCRIPTION_SUMMARY, then CPACK_PACKAGE_DESCRIPTION.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
