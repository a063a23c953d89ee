# `cpack -G DEB` in the build directory: one Debian package, "tessalink",
# with everything that `cmake --install` puts under /usr (the library, its
# header and packages, the programs and their manual pages, the Python
# package tessalink for Debian's python3). Its dependencies
# come from dpkg-shlibdeps; a newer version installs over an older one.
if(WIN32 OR CMAKE_CROSSCOMPILING)
  return()
endif()

set(TESSALINK_PACKAGE_MAINTAINER "Tessalink maintainers <maintainers@tessalink.invalid>"
  CACHE STRING "The Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessalink)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "links a PC to a handheld organizer over an RS-232 cable")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TESSALINK_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_PACKAGE_DESCRIPTION "The shared library libTessalink lists, fetches, sends and deletes files on
the handheld, sends its release and exchanges plain text, through flat C
exports KIVO_* declared in tessalink.h; it also offers stand-alone text and
data conversions. The package holds the library with its header, a CMake
package (find_package(Tessalink)) and a pkg-config file (tessalink), the
command-line tool tessalink, the handheld emulator tessalink-handheld and
the launcher tevlaunch, and the Python package tessalink (import tessalink)
for the system's python3.")
# The Python package is there for the system's python3, which the library
# and the programs do not need.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS python3)
# Depends from the ELF files; the library's own shlibs file lets the
# programs depend on it within the package, and triggers ldconfig.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")

include(CPack)
