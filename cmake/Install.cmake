# What `cmake --install` puts below the prefix (DESTDIR works): the three programs, the desktop
# entry with the MIME type of program files and the icon in the hicolor theme, the AppStream
# metadata, the manual pages, and the guides and examples; and the tests that check them.
# cmake/Package.cmake turns the same tree into a Debian package.
include(GNUInstallDirs)

set(ZENTRIP_APP_ID org.zentrip.zentrip)
set(ZENTRIP_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/zentrip)
set(resources ${PROJECT_SOURCE_DIR}/resources)

install(TARGETS zentrip zentrip-cli zentrip-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${resources}/${ZENTRIP_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${resources}/${ZENTRIP_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${resources}/${ZENTRIP_APP_ID}.mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME ${ZENTRIP_APP_ID}.xml)

# The icon as drawn, and the usual bitmap sizes rendered from it: the window's own renders
# (app/), and here the sizes the window does not draw.
install(FILES ${resources}/zentrip.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${ZENTRIP_APP_ID}.svg)
set(generated)
foreach(size IN ITEMS 16 22 24 32 48 64 128 256)
  if(size IN_LIST ZENTRIP_ICON_SIZES)
    set(icon ${ZENTRIP_ICON_DIR}/icon-${size}.png)
  else()
    set(icon)
    zentrip_render_svg(icon zentrip.svg hicolor-${size}.png ${size} ${size})
    list(APPEND generated ${icon})
  endif()
  install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${ZENTRIP_APP_ID}.png)
endforeach()

# Manual pages and the changelog go in compressed, without time stamps, as Debian wants them.
function(zentrip_gzip source output)
  add_custom_command(OUTPUT ${output}
    COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" sh ${source} ${output}
    DEPENDS ${source} VERBATIM)
endfunction()
foreach(page IN ITEMS zentrip zentrip-cli zentrip-sim)
  set(out ${PROJECT_BINARY_DIR}/man/${page}.1.gz)
  file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/man)
  zentrip_gzip(${PROJECT_SOURCE_DIR}/docs/man/${page}.1 ${out})
  install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  list(APPEND generated ${out})
endforeach()
set(changelog ${PROJECT_BINARY_DIR}/changelog.gz)
zentrip_gzip(${resources}/changelog ${changelog})
list(APPEND generated ${changelog})
add_custom_target(zentrip_install_files ALL DEPENDS ${generated})

install(FILES ${changelog} ${resources}/copyright ${PROJECT_SOURCE_DIR}/README.md
        DESTINATION ${ZENTRIP_DOCDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${ZENTRIP_DOCDIR}
        FILES_MATCHING PATTERN "*.md" PATTERN "*.png" PATTERN "man" EXCLUDE)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${ZENTRIP_DOCDIR}/examples)

# Checks: the installed tree, and the desktop entry and metadata by the freedesktop tools when
# they are present (./test installs them).
add_test(NAME InstallTree COMMAND ${PROJECT_SOURCE_DIR}/tests/install_test.sh ${PROJECT_BINARY_DIR})
set(install_tests InstallTree)
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
  add_test(NAME DesktopEntryValidates
           COMMAND ${DESKTOP_FILE_VALIDATE} ${resources}/${ZENTRIP_APP_ID}.desktop)
  list(APPEND install_tests DesktopEntryValidates)
endif()
find_program(APPSTREAMCLI appstreamcli)
if(APPSTREAMCLI)
  add_test(NAME AppStreamMetadataValidates
           COMMAND ${APPSTREAMCLI} validate --no-net ${resources}/${ZENTRIP_APP_ID}.metainfo.xml)
  list(APPEND install_tests AppStreamMetadataValidates)
endif()
# "nothreads": they check files and run the installed programs for their help texts only.
set_property(TEST ${install_tests} PROPERTY LABELS install nothreads)
add_dependencies(zentrip_tests zentrip zentrip-cli zentrip-sim zentrip_install_files)
