# Installation and the Debian package. The game reads images/, wavs/ and mp3s/
# from its working directory, so the binary stays out of PATH and a launcher
# starts it from share/tubrix. Debian keeps games' commands in /usr/games, so
# the launcher goes to games/ under any prefix. Tests and benchmarks are not
# installed.

set(TUBRIX_HOMEPAGE "" CACHE STRING
    "The project's home page; the metainfo and the package link to it when set")
set(TUBRIX_RAW_URL "" CACHE STRING
    "Where the repository's files are served as they are (a raw URL of it); when set, the metainfo's screenshot is docs/screenshots/play_cascade.png under it")
set(TUBRIX_MAINTAINER "Tubrix developers <tubrix@users.noreply.github.com>")

install(TARGETS tubrix RUNTIME DESTINATION lib/tubrix)
install(PROGRAMS packaging/launcher.sh DESTINATION games RENAME tubrix)
install(DIRECTORY images wavs mp3s DESTINATION share/tubrix)
# The relay is a program of its own, headless; its service is installed but
# not enabled: whoever runs a relay enables it.
install(TARGETS tubrix-relay RUNTIME DESTINATION games)
install(FILES packaging/tubrix-relay.service DESTINATION lib/systemd/system)

# Replay files open in the game: their type, known by name and by first line,
# its icon, and an entry that is not in the menus but takes a file.
install(FILES packaging/org.tubrix.Tubrix.desktop packaging/org.tubrix.Tubrix.Replay.desktop
        DESTINATION share/applications)
install(FILES packaging/tubrix.xml DESTINATION share/mime/packages)
set(TUBRIX_METAINFO ${CMAKE_CURRENT_BINARY_DIR}/org.tubrix.Tubrix.metainfo.xml)
include(packaging/metainfo.cmake)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS packaging/changelog)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/org.tubrix.Tubrix.metainfo.xml
        DESTINATION share/metainfo)
foreach(size 48 128 256)
    install(FILES packaging/icons/tubrix_${size}.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME tubrix.png)
    install(FILES packaging/icons/replay_${size}.png
            DESTINATION share/icons/hicolor/${size}x${size}/mimetypes
            RENAME application-x-tubrix-replay.png)
endforeach()

# Debian ships manual pages and changelogs compressed, without a time stamp in
# the archive.
foreach(page tubrix.6 tubrix-relay.6 changelog)
    add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${page}.gz
        COMMAND gzip -9nc ${CMAKE_CURRENT_SOURCE_DIR}/packaging/${page} > ${CMAKE_CURRENT_BINARY_DIR}/${page}.gz
        DEPENDS packaging/${page}
        VERBATIM)
endforeach()
add_custom_target(tubrix_compressed_docs ALL
    DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/tubrix.6.gz ${CMAKE_CURRENT_BINARY_DIR}/tubrix-relay.6.gz
            ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/tubrix.6.gz ${CMAKE_CURRENT_BINARY_DIR}/tubrix-relay.6.gz
        DESTINATION share/man/man6)
install(FILES packaging/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION share/doc/tubrix)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tubrix)
set(CPACK_PACKAGE_VENDOR "The Tubrix developers")
set(CPACK_PACKAGE_CONTACT "${TUBRIX_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TUBRIX_MAINTAINER}")
if(TUBRIX_HOMEPAGE)
    set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TUBRIX_HOMEPAGE}")
endif()
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
# SDL_mixer is loaded at run time, where the library scan cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, fonts-liberation, libsdl2-mixer-2.0-0")
set(CPACK_STRIP_FILES ON)
include(CPack)
