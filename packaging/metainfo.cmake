# Writes the AppStream metainfo to TUBRIX_METAINFO. install.cmake includes it;
# the packaging test runs it alone, to check the screenshot's address too:
#   cmake -DTUBRIX_METAINFO=FILE [-DTUBRIX_RAW_URL=URL] -P packaging/metainfo.cmake
# The release's version and date are read from the changelog, the one place a
# release is written down.
set(_root "${CMAKE_CURRENT_LIST_DIR}/..")
file(READ "${_root}/packaging/changelog" _changelog)
set(_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
if(NOT _changelog MATCHES "^tubrix \\(([^)]+)\\)")
    message(FATAL_ERROR "packaging/changelog: the first line names no version")
endif()
set(TUBRIX_VERSION "${CMAKE_MATCH_1}")
if(PROJECT_VERSION AND NOT TUBRIX_VERSION STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "packaging/changelog's last release is ${TUBRIX_VERSION}, "
                        "the project's version ${PROJECT_VERSION}: add an entry")
endif()
set(_month -1)
if(_changelog MATCHES "\n -- [^\n]*>  [A-Z][a-z][a-z], ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    set(_day ${CMAKE_MATCH_1})
    set(_year ${CMAKE_MATCH_3})
    list(FIND _months ${CMAKE_MATCH_2} _month)
endif()
if(_month EQUAL -1)
    message(FATAL_ERROR "packaging/changelog: the first entry's date is not like 'Mon, 07 Dec 2026'")
endif()
math(EXPR _month "${_month} + 1")
if(_month LESS 10)
    set(_month "0${_month}")
endif()
set(TUBRIX_RELEASE_DATE "${_year}-${_month}-${_day}")

# AppStream takes only web addresses for screenshots, so the screenshot is
# linked only where the repository's files are really served; a made-up host
# would pass an offline check and show software centres a broken picture.
set(TUBRIX_WEB_LINKS "")
if(TUBRIX_RAW_URL)
    set(_shot docs/screenshots/play_cascade.png)
    if(NOT EXISTS "${_root}/${_shot}")
        message(FATAL_ERROR "the metainfo's screenshot ${_shot} is not in the repository")
    endif()
    string(APPEND TUBRIX_WEB_LINKS
        "  <screenshots>\n"
        "    <screenshot type=\"default\">\n"
        "      <caption>Water runs through the full rows' pipes as they fade out</caption>\n"
        "      <image>${TUBRIX_RAW_URL}/${_shot}</image>\n"
        "    </screenshot>\n"
        "  </screenshots>\n")
endif()
if(TUBRIX_HOMEPAGE)
    string(APPEND TUBRIX_WEB_LINKS "  <url type=\"homepage\">${TUBRIX_HOMEPAGE}</url>\n")
endif()
configure_file("${_root}/packaging/org.tubrix.Tubrix.metainfo.xml.in" "${TUBRIX_METAINFO}" @ONLY)
