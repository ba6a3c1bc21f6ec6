# What `cmake --install` puts into the prefix, and the Debian package `cpack -G DEB` makes of it.
# Nothing installed refers back to the build tree or the source tree.

set(TARNWICK_RELEASE_DATE 2026-12-07)
set(TARNWICK_RELEASE_DATE_RFC2822 "Mon, 07 Dec 2026 12:00:00 +0000")
set(TARNWICK_APP_ID example.tarnwick.Tarnwick)
set(TARNWICK_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)
set(TARNWICK_STAGED ${PROJECT_BINARY_DIR}/packaging)

if(TARGET tarnwick-convert)
  install(TARGETS tarnwick-convert RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET tarnwick)
  install(TARGETS tarnwick RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

if(NOT UNIX)
  return()
endif()

configure_file(${TARNWICK_PACKAGING}/${TARNWICK_APP_ID}.metainfo.xml.in
  ${TARNWICK_STAGED}/${TARNWICK_APP_ID}.metainfo.xml @ONLY)
install(FILES ${TARNWICK_PACKAGING}/${TARNWICK_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TARNWICK_STAGED}/${TARNWICK_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${TARNWICK_PACKAGING}/tarnwick.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Manual pages and the Debian change log go in compressed, as Debian wants them; gzip -n keeps
# the name and time out, so a rebuild gives the same bytes.
set(TARNWICK_STAGED_FILES)
foreach(page tarnwick.1 tarnwick-convert.1 changelog)
  configure_file(${TARNWICK_PACKAGING}/${page}.in ${TARNWICK_STAGED}/${page} @ONLY)
  add_custom_command(OUTPUT ${TARNWICK_STAGED}/${page}.gz
    COMMAND gzip -9nf -k ${page}
    DEPENDS ${TARNWICK_STAGED}/${page}
    WORKING_DIRECTORY ${TARNWICK_STAGED} VERBATIM)
  list(APPEND TARNWICK_STAGED_FILES ${TARNWICK_STAGED}/${page}.gz)
endforeach()
install(FILES ${TARNWICK_STAGED}/tarnwick.1.gz ${TARNWICK_STAGED}/tarnwick-convert.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${TARNWICK_PACKAGING}/copyright
  ${TARNWICK_STAGED}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tarnwick)

# The icon as pictures at the usual sizes, drawn from the SVG when rsvg-convert is there.
find_program(TARNWICK_RSVG_CONVERT rsvg-convert)
if(TARNWICK_RSVG_CONVERT)
  foreach(size 48 64 128 256)
    set(png ${TARNWICK_STAGED}/icons/${size}x${size}/tarnwick.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${TARNWICK_STAGED}/icons/${size}x${size}
      COMMAND ${TARNWICK_RSVG_CONVERT} -w ${size} -h ${size} -o ${png}
              ${TARNWICK_PACKAGING}/tarnwick.svg
      DEPENDS ${TARNWICK_PACKAGING}/tarnwick.svg VERBATIM)
    list(APPEND TARNWICK_STAGED_FILES ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
else()
  message(STATUS "rsvg-convert not found: only the SVG icon is installed (librsvg2-bin)")
endif()
add_custom_target(tarnwick_packaging_files ALL DEPENDS ${TARNWICK_STAGED_FILES})

set(CPACK_PACKAGE_NAME tarnwick)
set(CPACK_PACKAGE_VENDOR "Robin Marlow")
set(CPACK_PACKAGE_CONTACT "Robin Marlow <robin@tarnwick-works.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn a FrontPage web into a plain copy for FTP upload")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.tarnwick.example/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# CPack puts the summary in front as the first line; a lone "." is an empty line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Tarnwick copies a web site kept by an old HTML editor into a clean FTP web
without the editor's server-extension folders (_vti, _private, _fpclass,
_borders, _overlay), for hosts that take only FTP uploads. It finds the files
that are new or changed since the last run and mirrors just those into an
uploads folder with a change log, sweeps files removed from the site, shows a
comparison report, and can start an FTP client when it is done.
.
The package holds the window (tarnwick) and the same engine on the command
line (tarnwick-convert).")
include(CPack)
