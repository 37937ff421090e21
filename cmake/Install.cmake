# Installing Quorvane as a desktop program (freedesktop layout) and packaging it for Debian.
include(GNUInstallDirs)

install(TARGETS quorvane quorvane-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS quorvane-print RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/quorvane)

set(QUORVANE_APP_ID com.pellamy.Quorvane)
install(FILES ${PROJECT_SOURCE_DIR}/data/${QUORVANE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/${QUORVANE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/${QUORVANE_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/data/icons/hicolor/${size}x${size}/apps/${QUORVANE_APP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/data/man/quorvane.1 ${PROJECT_SOURCE_DIR}/data/man/quorvane-cli.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/data/man/ja/quorvane.1 ${PROJECT_SOURCE_DIR}/data/man/ja/quorvane-cli.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/ja/man1)

# cpack -G DEB (from the build folder): a Debian package with its libraries found by
# dpkg-shlibdeps and the plugins and fonts the window needs named by hand.
set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VENDOR "Pellamy")
set(CPACK_PACKAGE_CONTACT "Pellamy <support@pellamy.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "binary (hex) file editor with a Japanese user interface")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY Quorvane)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://pellamy.example/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6, qt6-translations-l10n, fonts-noto-cjk | fonts-ipafont-gothic")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
include(CPack)
