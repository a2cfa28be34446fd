# Run at install time (cmake --install, cpack): writes vespern(1) with the folders of this
# installation, whose prefix may differ from the one the build was configured with, compressed
# as Debian wants it (no time stamp), into share/man/man1.
#
# Expects VESPERN_MANUAL_SOURCE, VESPERN_MANUAL_WORK, VESPERN_GZIP, VESPERN_INSTALL_PROGRAMDIR,
# VESPERN_INSTALL_BINDIR, VESPERN_INSTALL_MANDIR and the values the page names.

set(VESPERN_FULL_PROGRAMDIR "${CMAKE_INSTALL_PREFIX}/${VESPERN_INSTALL_PROGRAMDIR}")
set(VESPERN_FULL_BINDIR "${CMAKE_INSTALL_PREFIX}/${VESPERN_INSTALL_BINDIR}")
configure_file(${VESPERN_MANUAL_SOURCE} ${VESPERN_MANUAL_WORK}/vespern.1 @ONLY)
execute_process(COMMAND ${VESPERN_GZIP} -9nf ${VESPERN_MANUAL_WORK}/vespern.1 COMMAND_ERROR_IS_FATAL ANY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${VESPERN_INSTALL_MANDIR}/man1" TYPE FILE
  FILES ${VESPERN_MANUAL_WORK}/vespern.1.gz)
