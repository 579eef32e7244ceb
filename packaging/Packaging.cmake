# Installation where desktop Linux expects things, and the Debian package built by CPack.
include(GNUInstallDirs)

set(MX7500_APP_ID com.norvale.mx7500)
set(MX7500_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})

# The PNG icons are drawn at build time by the code that draws the window icon.
add_executable(mx7500-render-icon ${MX7500_PACKAGING_DIR}/render-icon.cpp)
target_link_libraries(mx7500-render-icon PRIVATE mx7500core)
set(MX7500_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
add_custom_command(
    OUTPUT ${MX7500_ICON_DIR}/48.png ${MX7500_ICON_DIR}/256.png
    COMMAND ${CMAKE_COMMAND} -E make_directory ${MX7500_ICON_DIR}
    COMMAND mx7500-render-icon 48 ${MX7500_ICON_DIR}/48.png 256 ${MX7500_ICON_DIR}/256.png
    DEPENDS mx7500-render-icon
    COMMENT "Drawing the application icon")
add_custom_target(mx7500-icons ALL DEPENDS ${MX7500_ICON_DIR}/48.png ${MX7500_ICON_DIR}/256.png)

install(TARGETS MX7500 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET mx7500-sim)
    # --simulate looks for the simulator beside the front panel.
    install(TARGETS mx7500-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES ${MX7500_PACKAGING_DIR}/${MX7500_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${MX7500_PACKAGING_DIR}/${MX7500_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${MX7500_PACKAGING_DIR}/${MX7500_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# For the administrator of a team server (README, "Team records").
install(FILES ${CMAKE_SOURCE_DIR}/records/team-schema.sql DESTINATION ${CMAKE_INSTALL_DATADIR}/mx7500)
foreach(size 48 256)
    install(FILES ${MX7500_ICON_DIR}/${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${MX7500_APP_ID}.png)
endforeach()

set(CPACK_PACKAGE_NAME mx7500)
set(CPACK_PACKAGE_VERSION ${MX7500_VERSION})
set(CPACK_PACKAGE_VENDOR "MX7500 team")
set(CPACK_PACKAGE_CONTACT "MX7500 team <dev@mx7500.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "front panel for the MX7500 bench low-resistance meter")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Drives the MX7500 bench low-resistance meter over an RS-232 line from the desktop: it \
checks that the meter answers, triggers single readings shown with engineering prefixes and \
corrected to 20 degrees C, logs them to a comma-separated file and sends the meter's \
measurement settings. The included simulator (MX7500 --simulate) lets it be tried without a \
meter.")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Library dependencies come from the binaries; Qt's platform plugins and its SQLite driver (for
# the records store) and PostgreSQL driver (for a team server) are loaded at run time, so no
# binary names them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The fonts too: without a proportional sans font the toolkit falls back to a monospaced one,
# and the Readings window no longer fits a small screen.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite, libqt6sql6-psql, fonts-dejavu-core, fonts-liberation2")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)
