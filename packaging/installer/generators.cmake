# Read by cpack once per generator: what differs between the Debian package and the home
# installer.
if(CPACK_GENERATOR STREQUAL "External")
  # The installer holds the tree below the prefix (bin/, share/, ...): it goes wherever the
  # user's installer is told (~/.local by default).
  set(CPACK_PACKAGING_INSTALL_PREFIX "/")
  set(CPACK_PACKAGE_FILE_NAME "Tarvo-${CPACK_PACKAGE_VERSION}")
endif()
