# The Debian package (cpack -G DEB in the native tree): the program where Debian's xscreensaver
# looks for its hacks and a link to it on the PATH, its description, a menu entry with its icon,
# the manual page, the copyright file and the changelog.

# Debian wants manual pages and changelogs compressed, without a timestamp inside.
function(epiphase_gzip source output)
    add_custom_command(OUTPUT ${output} COMMAND gzip -9nc ${source} > ${output}
                       DEPENDS ${source} VERBATIM)
endfunction()
# Both carry the project version; the changelog and the copyright file, the contact address.
configure_file(debian/changelog.in changelog @ONLY)
configure_file(debian/copyright.in copyright @ONLY)
configure_file(epiphase.6 epiphase.6 @ONLY)
epiphase_gzip(${CMAKE_CURRENT_BINARY_DIR}/epiphase.6 ${CMAKE_CURRENT_BINARY_DIR}/epiphase.6.gz)
epiphase_gzip(${CMAKE_CURRENT_BINARY_DIR}/changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_target(compressed_docs ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/epiphase.6.gz
                                              ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)

install(TARGETS epiphase RUNTIME DESTINATION libexec/xscreensaver)
# Where a shell finds it too, for the window of its own and --render: a link to the hack.
file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/on-path)
file(CREATE_LINK ../libexec/xscreensaver/epiphase ${CMAKE_CURRENT_BINARY_DIR}/on-path/epiphase
     SYMBOLIC)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/on-path/epiphase DESTINATION bin)
install(FILES epiphase.xml DESTINATION share/xscreensaver/config)
# A menu entry for the window of its own, with an icon the program renders (the Windows icon is
# made from the same image: scripts/make-icon.sh).
# Under the sanitizers, with the same leak suppressions as the tests (fontconfig's own).
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/epiphase.png
                   COMMAND ${CMAKE_COMMAND} -E env
                           LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/scripts/lsan.supp
                           $<TARGET_FILE:epiphase> --render ${CMAKE_CURRENT_BINARY_DIR}/epiphase.png
                           --size 256x256 --frames 700 --clock-step 16
                   DEPENDS epiphase VERBATIM)
add_custom_target(icon ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/epiphase.png)
install(FILES epiphase.desktop DESTINATION share/applications)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/epiphase.png DESTINATION share/icons/hicolor/256x256/apps)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/epiphase.6.gz DESTINATION share/man/man6)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
        DESTINATION share/doc/epiphase)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME epiphase)
set(CPACK_PACKAGE_CONTACT "The Epiphase authors <${EPIPHASE_CONTACT}>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # epiphase_<version>_<architecture>.deb
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${EPIPHASE_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_ENHANCES xscreensaver)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "screen saver of six drifting elliptical phasors
Six elliptical rotating vectors, summed head to tail, drawn as a living figure
that never settles: every quantity drifts under slow random modulation, the
colours and the background fade between random targets, and every few
thousand frames the whole figure starts afresh. A hack for xscreensaver, it
also runs in a window of its own and renders frames to PNG files.")
include(CPack)
