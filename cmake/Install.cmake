# Installation with the usual GNU folders: the programs, the desktop entry with the info-file
# type and its icon, the AppStream metainfo, the manual pages, and the Debian package built
# from all of it (cmake/Package.cmake). Included at the end of the top-level build,
# when every target exists. The desktop entry and the type match what Kinora registers for
# the user at every start, so the user's copy simply takes precedence.
include(GNUInstallDirs)

foreach(program kinora kinora-cli)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

set(_res ${CMAKE_SOURCE_DIR}/resources)
install(FILES ${_res}/tessaro-kinora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_res}/de.tessaro.kinora.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_res}/tessaro-kinora.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)

# The icon in every size of the hicolor theme's fixed-size folders, scaled from the 256 px
# drawing by ImageMagick when the build is configured (without it: the 256 px one only).
set(_icon_sizes 256)
find_program(KINORA_CONVERT convert)
if(KINORA_CONVERT)
  set(_icon_sizes 16 22 24 32 48 64 128 256)
endif()
foreach(size ${_icon_sizes})
  set(_png ${CMAKE_BINARY_DIR}/icons/${size}x${size}.png)
  if(NOT size EQUAL 256 AND (NOT EXISTS ${_png} OR ${_res}/KNR.png IS_NEWER_THAN ${_png}))
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/icons)
    execute_process(COMMAND ${KINORA_CONVERT} ${_res}/KNR.png -resize ${size}x${size} -strip
                            ${_png} COMMAND_ERROR_IS_FATAL ANY)
  elseif(size EQUAL 256)
    set(_png ${_res}/KNR.png)
  endif()
  set(_dir ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size})
  install(FILES ${_png} DESTINATION ${_dir}/apps RENAME tessaro-kinora.png)
  install(FILES ${_png} DESTINATION ${_dir}/mimetypes RENAME application-x-tessaro-kinora.png)
endforeach()

include(cmake/Package.cmake)
