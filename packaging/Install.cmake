# Installation as a Linux desktop program, in the GNU folders under the
# prefix: the executable, the shipped index files, the desktop entry, the
# icon in the hicolor theme, the document's file type and the AppStream
# metainfo, all named by the one application id.
set(CALVOR_MIME_TYPE "application/x-calvor")
# Qt names the windows' class after the application name.
set(CALVOR_WM_CLASS "Calvor")
set(CALVOR_DATA_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/calvor)

# The program finds the installed data folder from its own folder, so that
# an installation still works when moved to another prefix as a whole.
file(RELATIVE_PATH _calvor_data_from_bin ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/calvor)
target_compile_definitions(calvor_app PRIVATE
  CALVOR_SHIPPED_DATA_DIR="${_calvor_data_from_bin}")

install(TARGETS calvor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CALVOR_INDEX_FILES} ${CMAKE_CURRENT_SOURCE_DIR}/data/insee/SOURCES.md
        DESTINATION ${CALVOR_DATA_INSTALL_DIR})

set(_linux ${CMAKE_CURRENT_SOURCE_DIR}/packaging/linux)
set(_generated ${CMAKE_BINARY_DIR}/packaging)
configure_file(${_linux}/calvor.desktop.in ${_generated}/${CALVOR_APP_ID}.desktop @ONLY)
configure_file(${_linux}/calvor-mime.xml.in ${_generated}/${CALVOR_APP_ID}.xml @ONLY)
configure_file(${_linux}/calvor.metainfo.xml.in ${_generated}/${CALVOR_APP_ID}.metainfo.xml
               @ONLY)
install(FILES ${_generated}/${CALVOR_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_generated}/${CALVOR_APP_ID}.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${_generated}/${CALVOR_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The 16 and 32 pixel pictures are the program's own window icon; the
# larger ones are drawn from the scalable picture of the same design.
set(_icons ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
foreach(_size 16 32 48 64 128 256)
  install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/resources/calvor${_size}.png
          DESTINATION ${_icons}/${_size}x${_size}/apps RENAME ${CALVOR_APP_ID}.png)
endforeach()
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/resources/calvor.svg
        DESTINATION ${_icons}/scalable/apps RENAME ${CALVOR_APP_ID}.svg)

# The French manual page and the bash completion of the command line.
install(FILES ${_linux}/calvor.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${_linux}/calvor.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME calvor)
