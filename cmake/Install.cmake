# What `cmake --install` puts in place besides the three programs (whose
# install(TARGETS) lines sit beside their targets): the manual pages, the menu
# entry and its icons, the AppStream metadata, the udev rule for the programming
# cables and the package's documentation. Everything comes from data/.
include(GNUInstallDirs)

# The desktop id: the name of the menu entry, its icon and its AppStream
# component; the window gives it to the desktop too (setDesktopFileName).
set(QM3270_APP_ID org.example.qm3270)
set(QM3270_DATA_DIR ${PROJECT_SOURCE_DIR}/data)

# Directories get 0755 whatever the umask of whoever builds the package.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Manual pages and the changelog are installed compressed, as man and Debian
# expect; -n keeps the file's name and time out, so the same page gives the same
# bytes on every build.
find_program(QM3270_GZIP gzip REQUIRED)
set(compressed)
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/data)
foreach(source IN ITEMS man/qm3270.1 man/qm3270-cli.1 man/qm3270-radio.1 debian/changelog)
    get_filename_component(name ${source} NAME)
    if(name STREQUAL "changelog")
        set(name changelog.Debian)
    endif()
    set(output ${PROJECT_BINARY_DIR}/data/${name}.gz)
    add_custom_command(
        OUTPUT ${output}
        COMMAND ${QM3270_GZIP} -9nc ${QM3270_DATA_DIR}/${source} > ${output}
        DEPENDS ${QM3270_DATA_DIR}/${source}
        COMMENT "Compressing ${source}"
        VERBATIM)
    list(APPEND compressed ${output})
endforeach()
add_custom_target(qm3270_compressed_data ALL DEPENDS ${compressed})

set(data ${PROJECT_BINARY_DIR}/data)
install(FILES ${data}/qm3270.1.gz ${data}/qm3270-cli.1.gz ${data}/qm3270-radio.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${QM3270_DATA_DIR}/${QM3270_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${QM3270_DATA_DIR}/icons/hicolor/scalable/apps/${QM3270_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${QM3270_DATA_DIR}/icons/hicolor/48x48/apps/${QM3270_APP_ID}.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps)
install(FILES ${QM3270_DATA_DIR}/${QM3270_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# udev reads rules from lib/udev/rules.d under /usr and /usr/local alike; not
# CMAKE_INSTALL_LIBDIR, which is the multiarch library folder on Debian.
install(FILES ${QM3270_DATA_DIR}/70-qm3270-cable.rules DESTINATION lib/udev/rules.d)
install(FILES ${QM3270_DATA_DIR}/debian/copyright ${data}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/qm3270)
install(FILES ${QM3270_DATA_DIR}/debian/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME qm3270)

# A stripped install (`cmake --install --strip`, and the package) also drops the
# compiler's identification from the programs, as Debian's own packages do.
# Runs after the programs' own install rules, which come from src/ before this.
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        foreach(program qm3270 qm3270-cli qm3270-radio)
            execute_process(
                COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\"
                COMMAND_ERROR_IS_FATAL ANY)
        endforeach()
    endif()")
