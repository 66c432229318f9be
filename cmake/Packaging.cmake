# Installation on a Linux desktop and the Debian package (cpack -G DEB).
#
# Installs the three programs, the desktop entry, the AppStream metainfo, the
# icon, the manual pages, the copyright file and a changelog. The metainfo's
# release entry, the manual pages' headers and the changelog carry the project's
# version and a release date: the time of SOURCE_DATE_EPOCH when set
# (reproducible builds), otherwise of the last commit of a git checkout,
# otherwise of the configuration.

include(GNUInstallDirs)

set(NESMO_APP_ID io.github.nesmoport.nesmoport)
set(_dist_src ${PROJECT_SOURCE_DIR}/dist)
set(_dist_bin ${PROJECT_BINARY_DIR}/dist)

set(_contact "Nesmo Port project <nesmo-port@example.invalid>")
# Without SOURCE_DATE_EPOCH, a git checkout's last commit gives the date, so
# that the same commit builds the same files.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    find_package(Git QUIET)
    if(GIT_FOUND AND EXISTS ${PROJECT_SOURCE_DIR}/.git)
        execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
                        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                        OUTPUT_VARIABLE _commit_time OUTPUT_STRIP_TRAILING_WHITESPACE
                        RESULT_VARIABLE _git_result ERROR_QUIET)
        if(_git_result EQUAL 0 AND _commit_time MATCHES "^[0-9]+$")
            set(ENV{SOURCE_DATE_EPOCH} ${_commit_time})
        endif()
    endif()
endif()
string(TIMESTAMP NESMO_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP _changelog_time "%a, %d %b %Y %H:%M:%S +0000" UTC)

configure_file(${_dist_src}/${NESMO_APP_ID}.metainfo.xml.in
               ${_dist_bin}/${NESMO_APP_ID}.metainfo.xml @ONLY)
file(CONFIGURE OUTPUT ${_dist_bin}/changelog CONTENT
"nesmo-port (${PROJECT_VERSION}) unstable; urgency=medium

  * Nesmo Port ${PROJECT_VERSION}.

 -- ${_contact}  ${_changelog_time}
")

# Manual pages and the changelog are installed compressed as Debian wants them
# (gzip -9n: no name or time stamp inside, so the package builds the same twice).
find_program(NESMO_GZIP gzip REQUIRED)
function(nesmo_gzip file)
    execute_process(COMMAND ${NESMO_GZIP} -9nc ${file} OUTPUT_FILE ${file}.gz
                    RESULT_VARIABLE _result)
    if(NOT _result EQUAL 0)
        message(FATAL_ERROR "gzip failed on ${file}")
    endif()
endfunction()
set(_man_pages)
foreach(_page NesmoComm.1 nesmo7-sim.1 nesmo7-cli.1)
    configure_file(${_dist_src}/${_page}.in ${_dist_bin}/${_page} @ONLY)
    nesmo_gzip(${_dist_bin}/${_page})
    list(APPEND _man_pages ${_dist_bin}/${_page}.gz)
endforeach()
nesmo_gzip(${_dist_bin}/changelog)

install(TARGETS NesmoComm nesmo7-sim nesmo7-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${_dist_src}/${NESMO_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_dist_bin}/${NESMO_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_dist_src}/${NESMO_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${_dist_src}/copyright ${_dist_bin}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/nesmo-port)

# The Debian package
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nesmo-port)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Nesmo Port project")
set(CPACK_PACKAGE_CONTACT "${_contact}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "companion program for the Nesmo-7 dust monitor")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_NAME nesmo-port)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The first line of the Description is CPACK_PACKAGE_DESCRIPTION_SUMMARY.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Nesmo Port talks to a Nesmo-7 portable aerosol monitor over a serial port,
a USB serial adapter, an RS-485 bus or TCP. It reads and changes the
instrument's configuration, downloads its logged data into text files, shows
them as a table and as a time chart, and drives the instrument from an
on-screen copy of its keypad and display.
.
The package also holds nesmo7-cli, which lists an instrument's tags and
downloads them from scripts and timers, and nesmo7-sim, a simulated instrument
on a pseudo-terminal or a TCP port, to try the program without the hardware.")
# Dependencies come from the libraries the programs link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# xdg-open opens the help documents and manuals.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xchm | kchmviewer")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
find_program(NESMO_DPKG dpkg)
if(NESMO_DPKG)
    execute_process(COMMAND ${NESMO_DPKG} --print-architecture
                    OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()

include(CPack)
