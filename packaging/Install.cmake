# Installing QUILLON like any desktop program: both executables, the desktop
# entry, the icon in the hicolor theme, the AppStream metainfo and the manual
# pages; and the Debian package made from the same rules by CPack.
include(GNUInstallDirs)

set(QUILLON_APP_ID org.quillon.Quillon)
set(QUILLON_HOMEPAGE "https://quillon.example.org" CACHE STRING
    "The project's home page, named in the metainfo and the package")
set(QUILLON_RELEASE_DATE 2026-12-09)

install(TARGETS quillon quillon-render quillon-studio RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES packaging/${QUILLON_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size IN LISTS QUILLON_ICON_SIZES)
  install(FILES packaging/icons/${QUILLON_APP_ID}-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${QUILLON_APP_ID}.png)
endforeach()
install(FILES packaging/icons/${QUILLON_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# QUILLON Studio: its own entry, icon (a density picture of Hopalong drawn
# by quillon-render, coloured by direction) and metainfo.
set(QUILLON_STUDIO_ID org.quillon.Studio)
install(FILES packaging/${QUILLON_STUDIO_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size IN LISTS QUILLON_ICON_SIZES)
  install(FILES packaging/icons/${QUILLON_STUDIO_ID}-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${QUILLON_STUDIO_ID}.png)
endforeach()

foreach(app IN ITEMS ${QUILLON_APP_ID} ${QUILLON_STUDIO_ID})
  configure_file(packaging/${app}.metainfo.xml.in ${CMAKE_CURRENT_BINARY_DIR}/${app}.metainfo.xml @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${app}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endforeach()

# Manual pages carry the version; they are gzipped as Debian keeps them.
find_program(GZIP_PROGRAM gzip REQUIRED)
foreach(page quillon.1 quillon-render.1 quillon-studio.1)
  configure_file(packaging/${page}.in ${CMAKE_CURRENT_BINARY_DIR}/man/${page} @ONLY)
  add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.gz
                     COMMAND ${GZIP_PROGRAM} -9n -c ${CMAKE_CURRENT_BINARY_DIR}/man/${page}
                             > ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.gz
                     DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/man/${page})
  list(APPEND QUILLON_MAN_PAGES ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.gz)
endforeach()
add_custom_target(quillon_man_pages ALL DEPENDS ${QUILLON_MAN_PAGES})
install(FILES ${QUILLON_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# cpack -G DEB in the build folder (make package at the top).
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The QUILLON team")
set(CPACK_PACKAGE_CONTACT "The QUILLON team <quillon@quillon.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "chaotic attractors drawn point by point, and posters of them")
set(CPACK_PACKAGE_DESCRIPTION
    "QUILLON draws chaotic attractors and related mathematical pictures point by
point, so that you watch each figure grow: 43 figures of iterated maps,
chaos games, Lorenz orbits, the bifurcation diagram, the logistic map,
spirals and integer sequences, with random or typed-in parameters and a
slide show. quillon-render draws any of its figures as a poster-sized PNG,
a density picture or a video, without a window. QUILLON Studio explores
them live as density pictures and exports posters and videos.")
set(CPACK_PACKAGE_HOMEPAGE_URL ${QUILLON_HOMEPAGE})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt finds its window-system plugins at run time, which no library lookup sees.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ffmpeg")  # videos: quillon-render --video, the studio's Export Video
include(CPack)
