# Installation with the usual GNU folders: the programs, the desktop entry with the info-file
# type and its icon, and the AppStream metainfo. Included at the end of the top-level build,
# when every target exists. The desktop entry and the type match what Kinora registers for
# the user at every start, so the user's copy simply takes precedence.
include(GNUInstallDirs)

foreach(program kinora kinora-cli)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

set(_res ${CMAKE_SOURCE_DIR}/resources)
set(_icons ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256)
install(FILES ${_res}/tessaro-kinora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_res}/de.tessaro.kinora.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_res}/tessaro-kinora.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${_res}/KNR.png DESTINATION ${_icons}/apps RENAME tessaro-kinora.png)
install(FILES ${_res}/KNR.png DESTINATION ${_icons}/mimetypes RENAME application-x-tessaro-kinora.png)
