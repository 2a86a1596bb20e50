# The Debian package: cpack -G DEB in a build folder gives byteloom_<version>_amd64.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME byteloom)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The Debian revision: the package's own changes, between two versions of the program.
set(CPACK_DEBIAN_PACKAGE_RELEASE ${BYTELOOM_DEB_REVISION})
set(CPACK_PACKAGE_VENDOR "Byteloom")
set(CPACK_PACKAGE_CONTACT "Byteloom <byteloom@byteloom.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for the raw bytes of files of any size")
# Debian wants the lines of the long description under 80 characters.
set(CPACK_PACKAGE_DESCRIPTION
  "Byteloom shows files of any size, up to the full range of 64-bit offsets,
as rows of hex byte cells beside the same bytes as characters. A data
inspector shows the eight bytes at the cursor as 21 types; Find and Next
search for a byte pattern typed as hex or text; Goto jumps to an address;
Print puts the view on one sheet. Files are only ever read.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${BYTELOOM_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the linked libraries do not say: the X11 platform plugin Qt loads at start, the
# faces asked for by name ("Courier New" from Liberation, the sans fallback from DejaVu),
# xdg-open behind Help and Web, and the certificates the banner's HTTPS download checks.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "qt6-qpa-plugins, fonts-liberation, fonts-dejavu-core, xdg-utils, ca-certificates")
# Qt picks its Wayland plugin when one is installed; without it XWayland serves.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")

include(CPack)
