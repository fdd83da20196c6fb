# Copyright (C) 2026 dotdata developers
# SPDX-License-Identifier: MIT

# The Debian package: cpack -G DEB in the build folder makes dotdata_VERSION_ARCH.deb
# with what cmake --install puts under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dotdata)
# The maintainer: Debian wants a name and a mail address, "dotdata developers <address>".
# Fill in the project's address here once it has one; until then lintian reports
# malformed-contact, the one finding the package test allows. Put the same address in the
# signature line of data/changelog, which holds a reserved .invalid one until then because
# that line cannot be read without an address.
set(CPACK_PACKAGE_CONTACT "dotdata developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Paint 32 × 32 dot pictures and turn them into BASIC DATA statements")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "dotdata is a small desktop editor for 32 × 32 dot pictures in an eight-colour\n\
palette. Paint the cells with the mouse, press MAKE DATA, and copy the 32\n\
line-numbered BASIC DATA statements into a BASIC listing. Pictures are saved to\n\
and loaded from a plain text file.")
# dpkg-shlibdeps finds the libraries; the font for the Japanese messages and Qt's
# own translated texts are not linked, so they are named here. The image libraries are
# named too, so that the package says what reads its images even if the scan misses one.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, libpng16-16, libgif7, libjpeg62-turbo")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)

include(CPack)
