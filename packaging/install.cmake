# Installation and the Debian package. The game reads images/, wavs/ and mp3s/
# from its working directory, so the binary stays out of PATH and a launcher
# starts it from share/tubrix. Tests and benchmarks are not installed.

set(TUBRIX_RELEASE_DATE "2026-12-07")
set(TUBRIX_WEB_ROOT "https://tubrix.example.org" CACHE STRING
    "Where the project's pages and screenshots are published (the metainfo links to them)")

install(TARGETS tubrix RUNTIME DESTINATION lib/tubrix)
install(PROGRAMS packaging/launcher.sh DESTINATION bin RENAME tubrix)
install(DIRECTORY images wavs mp3s DESTINATION share/tubrix)

install(FILES packaging/org.tubrix.Tubrix.desktop DESTINATION share/applications)
configure_file(packaging/org.tubrix.Tubrix.metainfo.xml.in
               ${CMAKE_CURRENT_BINARY_DIR}/org.tubrix.Tubrix.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/org.tubrix.Tubrix.metainfo.xml
        DESTINATION share/metainfo)
foreach(size 48 128 256)
    install(FILES packaging/icons/tubrix_${size}.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME tubrix.png)
endforeach()

# Debian ships manual pages compressed, without a time stamp in the archive.
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/tubrix.6.gz
    COMMAND gzip -9nc ${CMAKE_CURRENT_SOURCE_DIR}/packaging/tubrix.6 > ${CMAKE_CURRENT_BINARY_DIR}/tubrix.6.gz
    DEPENDS packaging/tubrix.6
    VERBATIM)
add_custom_target(tubrix_manual ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/tubrix.6.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/tubrix.6.gz DESTINATION share/man/man6)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tubrix)
set(CPACK_PACKAGE_VENDOR "The Tubrix developers")
set(CPACK_PACKAGE_CONTACT "The Tubrix developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "falling-block puzzle where full rows send water through pipes")
set(CPACK_PACKAGE_DESCRIPTION
    "Four-cell shapes whose cells carry pipe segments fall into a well; a full row
starts water flowing through the connected pipes, closed loops score extra,
everything the water reached fades out and chains multiply the score. With
Pong against the computer, two sprite demos and a drop-down console.")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries come from the binary's own links; the fonts are found at run
# time through fontconfig.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, fonts-liberation")
set(CPACK_STRIP_FILES ON)
include(CPack)
