# What `cmake --install` puts under CMAKE_INSTALL_PREFIX: the shared library
# with its header, the programs with their manual pages, a CMake package
# (find_package(Tessalink) gives the imported target Tessalink::Tessalink)
# and the pkg-config file tessalink.pc; and the Python package tessalink.
include(CMakePackageConfigHelpers)

set(TESSALINK_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Tessalink)

install(TARGETS Tessalink EXPORT TessalinkTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/tessalink.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

install(EXPORT TessalinkTargets NAMESPACE Tessalink:: DESTINATION ${TESSALINK_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/TessalinkConfig.cmake.in
  ${PROJECT_BINARY_DIR}/TessalinkConfig.cmake INSTALL_DESTINATION ${TESSALINK_CMAKE_DIR})
# 0.x releases keep their interface within the same major version, as the
# library's SONAME does.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/TessalinkConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/TessalinkConfig.cmake ${PROJECT_BINARY_DIR}/TessalinkConfigVersion.cmake
  DESTINATION ${TESSALINK_CMAKE_DIR})

# tessalink.pc names the prefix that the files are installed under, which
# `cmake --install --prefix` or a package may change after configuration:
# so it is written when installing.
set(TESSALINK_PC ${PROJECT_BINARY_DIR}/tessalink.pc)
set(TESSALINK_PC_PREFIX "@CMAKE_INSTALL_PREFIX@")  # filled in when installing
foreach(kind LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${kind}}")
    set(TESSALINK_PC_${kind} "${CMAKE_INSTALL_${kind}}")
  else()
    set(TESSALINK_PC_${kind} "\${prefix}/${CMAKE_INSTALL_${kind}}")
  endif()
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/tessalink.pc.in ${TESSALINK_PC}.in @ONLY)
install(CODE "configure_file(\"${TESSALINK_PC}.in\" \"${TESSALINK_PC}\" @ONLY)")
install(FILES ${TESSALINK_PC} DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The licence and the history, where Debian keeps them.
set(TESSALINK_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/tessalink)
set(TESSALINK_DEBIAN_CHANGELOG ${PROJECT_BINARY_DIR}/changelog.Debian.gz)
add_custom_command(OUTPUT ${TESSALINK_DEBIAN_CHANGELOG}
  COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/packaging/debian/changelog > ${TESSALINK_DEBIAN_CHANGELOG}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/debian/changelog
  COMMENT "The Debian changelog"
  VERBATIM)
add_custom_target(tessalink_debian_changelog ALL DEPENDS ${TESSALINK_DEBIAN_CHANGELOG})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright ${PROJECT_SOURCE_DIR}/LICENSE
  ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${TESSALINK_DEBIAN_CHANGELOG} DESTINATION ${TESSALINK_DOC_DIR})

# The Python package, where Debian's Python looks for the packages of /usr
# (a virtual environment takes it with pip instead: see docs/python.md).
set(TESSALINK_INSTALL_PYTHONDIR lib/python3/dist-packages CACHE STRING
  "Where the Python package tessalink is installed, under the prefix")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/python/tessalink DESTINATION ${TESSALINK_INSTALL_PYTHONDIR}
  FILES_MATCHING PATTERN "*.py" PATTERN "py.typed" PATTERN "__pycache__" EXCLUDE)
# Its messages: the results table that the tool is built from.
install(FILES ${PROJECT_SOURCE_DIR}/messages/results.tsv DESTINATION ${TESSALINK_INSTALL_PYTHONDIR}/tessalink)
