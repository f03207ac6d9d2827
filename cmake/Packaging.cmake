# One Debian package holding both editions, made by CPack from the install
# rules: whatever they install is packaged. dpkg-shlibdeps reads every
# installed program and shared object to compute the libraries it needs, so a
# module installed later brings its own dependencies. The desktop database,
# icon cache and manual index are refreshed by the file triggers of
# desktop-file-utils, hicolor-icon-theme and man-db; the package needs no
# maintainer scripts.
#   cpack -G DEB --config <build>/CPackConfig.cmake

set(CPACK_PACKAGE_NAME lumivo-companion)
set(CPACK_PACKAGE_VENDOR "Lumivo Intelligence")
set(CPACK_PACKAGE_CONTACT "Lumivo Intelligence <companion@lumivo-intelligence.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop companion of a business that runs Varadi OS")
# dpkg shows the description as written: lines stay under 80 characters.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Vora stays above other windows on every desktop as a small floating panel\n"
  "with an animated mascot. It brings alerts from the business's local server\n"
  "beside the mascot and opens the business's applications and web tools from\n"
  "its menu.\n"
  "\n"
  "The package holds both editions: the owner's command center\n"
  "(lumivo-companion) and the employee edition (lumivo-companion-employee).")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${LUMIVO_HOMEPAGE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What no shared library names: the symbol font, linked from the resource
# bundles, and the icon theme that the installed icons belong to.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-material-design-icons-iconfont, hicolor-icon-theme")
# The rounded type the views prefer; without it they use the system font.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-smc-manjari")
# Install rules run with the final prefix under a staging folder, so that
# what they compute from the prefix is right on the target system.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)
