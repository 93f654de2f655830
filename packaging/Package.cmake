# `make package`: a Debian package of the installation under /usr, built by
# CPack. Its dependencies are computed from the binary (dpkg-shlibdeps);
# Debian's own triggers then refresh the file types, the menu and the icon
# cache, so the package needs no scripts of its own.
set(CALVOR_PACKAGE_CONTACT "MORVA" CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME calvor)
set(CPACK_PACKAGE_VENDOR MORVA)
set(CPACK_PACKAGE_CONTACT "${CALVOR_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "révision annuelle de loyer avec les indices de l'INSEE")
set(CPACK_PACKAGE_DESCRIPTION
    "Calvor calcule la révision annuelle du loyer d'un bail à partir d'un indice trimestriel \
de l'INSEE et écrit un rapport en texte enrichi. Il est livré avec les valeurs publiées de \
l'IRL, de l'ILC, de l'ILAT et de l'ICC.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so invisible to dpkg-shlibdeps: Qt's French texts
# ("Oui"/"Non" in the message boxes) and the opener of Calcul.rtf.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils")
include(CPack)
