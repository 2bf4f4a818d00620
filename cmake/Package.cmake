# The Debian package (make package): what cmake --install puts below /usr (cmake/Install.cmake)
# and the files Debian wants beside it: a German manual page per program, the copyright and
# the changelog, compressed as Debian compresses them. The dependencies come from the
# binaries (dpkg-shlibdeps); only the German Qt texts, which no binary links, are named.
set(_pkg ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${_pkg})
string(TIMESTAMP KINORA_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in ${_pkg}/changelog @ONLY)
foreach(page kinora.1 kinora-cli.1)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/${page} ${_pkg}/${page} @ONLY)
endforeach()
# gzip -n keeps no name or time in the file, so the same sources give the same package.
foreach(file changelog kinora.1 kinora-cli.1)
  execute_process(COMMAND gzip -9nf ${_pkg}/${file} COMMAND_ERROR_IS_FATAL ANY)
endforeach()

foreach(program kinora kinora-cli)
  if(TARGET ${program})
    install(FILES ${_pkg}/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/de/man1)
  endif()
endforeach()
install(FILES ${_pkg}/changelog.gz ${CMAKE_SOURCE_DIR}/packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kinora)
set(CPACK_PACKAGE_VENDOR Tessaro)
set(CPACK_PACKAGE_CONTACT "Kinora-Entwickler <entwickler@kinora.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-translations-l10n)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Katalog der eigenen Filmsammlung")
# The long description below the summary; CPack indents it as Debian wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Kinora verwaltet eine private Filmsammlung: DVDs, Filme auf Festplatten
und eigene Videos. Jeder Film ist eine DVD-Info-Datei (.knr) mit
einem Titelbild in einem eigenen Ordner. Die Filmliste wird bei jedem
Tastendruck eingegrenzt; Filmdaten und Titelbild kommen aus einer
Film-Datenbank im Netz.

kinora-cli liest, schreibt, durchsucht und exportiert die Sammlung von der
Kommandozeile aus.")
include(CPack)
