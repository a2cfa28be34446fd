# The Debian package: `cpack -G DEB` in the build folder writes vespern_<version>_<arch>.deb.
# Its dependencies are the libraries the program links (dpkg-shlibdeps) and the packages that
# tools/debian-packages.txt marks "depends"; it recommends those marked "recommends".

# The packages tools/debian-packages.txt marks with <relation>, as a control field's value.
function(vespern_marked_packages relation out)
  file(STRINGS ${PROJECT_SOURCE_DIR}/tools/debian-packages.txt marked
    REGEX "^[a-z0-9][a-z0-9.+-]*[ \t]+${relation}([ \t]|$)")
  set(packages "")
  foreach(line IN LISTS marked)
    string(REGEX REPLACE "[ \t].*" "" package "${line}")
    list(APPEND packages ${package})
  endforeach()
  list(JOIN packages ", " field)
  set(${out} "${field}" PARENT_SCOPE)
endfunction()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tools/debian-packages.txt)
vespern_marked_packages(depends run_time_depends)
vespern_marked_packages(recommends run_time_recommends)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vespern)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vespern developers")
set(CPACK_PACKAGE_CONTACT "${VESPERN_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Lines as in the control file; cpack indents them and marks the empty one.
set(CPACK_PACKAGE_DESCRIPTION "\
Vespern ends, suspends or interrupts a computer session: shut down, reboot,
log off, sleep, hibernate, lock, hang up a dial-up connection, switch the
display off or start the screensaver. It does so at once or when a condition
occurs (a countdown, a time of day, a program stopping, low processor load,
low battery), on this computer or on another computer on the network.

It lives in the notification area and asks the desktop's own services
(session manager, logind, NetworkManager, the screensaver), so it works for
an ordinary user. Desktop action files such as SHUTDOWN.link run their action
when opened.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_THREADS 0)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PROJECT_HOMEPAGE_URL}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${run_time_depends}")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "${run_time_recommends}")
# "Help" opens the CHM help file with the desktop's viewer for it.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xchm | kchmviewer")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/postrm ${CMAKE_CURRENT_BINARY_DIR}/control/postrm COPYONLY)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_BINARY_DIR}/control/postrm)

include(CPack)
