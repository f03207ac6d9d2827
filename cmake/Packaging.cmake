# Two Debian packages, made by CPack from the install rules: the companion,
# holding both editions, and its web engine module, which the companion
# recommends (without it the web windows' pages open in the default browser).
# Whatever a rule installs lands in the package its component names
# ("companion" unless it says "web"). dpkg-shlibdeps reads every installed
# program and shared object of a package to compute the libraries it needs,
# so the web engine, about 165 MB with what it pulls in, is a dependency of
# the module's package alone. The desktop database, icon cache and manual
# index are refreshed by the file triggers of desktop-file-utils,
# hicolor-icon-theme and man-db; the packages need no maintainer scripts.
#   cpack -G DEB --config <build>/CPackConfig.cmake

set(CPACK_PACKAGE_NAME lumivo-companion)
set(CPACK_PACKAGE_VENDOR "Lumivo Intelligence")
set(CPACK_PACKAGE_CONTACT "Lumivo Intelligence <companion@lumivo-intelligence.com>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${LUMIVO_HOMEPAGE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL companion web)
# The module's package requires the companion of the same version.
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)

# dpkg shows the descriptions as written (the first line is the summary):
# lines stay under 80 characters.
set(CPACK_DEBIAN_COMPANION_PACKAGE_NAME lumivo-companion)
string(CONCAT CPACK_DEBIAN_COMPANION_DESCRIPTION
  "desktop companion of a business that runs Varadi OS\n"
  "Vora stays above other windows on every desktop as a small floating panel\n"
  "with an animated mascot. It brings alerts from the business's local server\n"
  "beside the mascot and opens the business's applications and web tools from\n"
  "its menu.\n"
  "\n"
  "The package holds both editions: the owner's command center\n"
  "(lumivo-companion) and the employee edition (lumivo-companion-employee).")
# What no shared library names: the symbol font, linked from the resource
# bundles, and the icon theme that the installed icons belong to.
set(CPACK_DEBIAN_COMPANION_PACKAGE_DEPENDS "fonts-material-design-icons-iconfont, hicolor-icon-theme")
# The rounded type the views prefer (without it they use the system font),
# and the web engine of the companion's own web windows.
set(CPACK_DEBIAN_COMPANION_PACKAGE_RECOMMENDS "fonts-smc-manjari, lumivo-companion-web")

set(CPACK_DEBIAN_WEB_PACKAGE_NAME lumivo-companion-web)
string(CONCAT CPACK_DEBIAN_WEB_DESCRIPTION
  "web windows of the Vora desktop companion\n"
  "The module on Qt WebEngine that shows the assistant's chat and talk pages\n"
  "and the reporting funnel in Vora's own windows. Without it, Vora opens\n"
  "these pages in the default web browser.")

# Install rules run with the final prefix under a staging folder, so that
# what they compute from the prefix is right on the target system.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)
cpack_add_component(companion)
cpack_add_component(web DEPENDS companion)
