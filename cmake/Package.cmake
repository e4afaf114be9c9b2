# Installation layout and the Debian package of the Linux program (cpack -G DEB).
#   <prefix>/bin/kestrine, <prefix>/bin/kestrine-libreoffice-listen
#   <prefix>/share/kestrine/help/        the help pages, found from bin/ as ../share/kestrine/help
#   <prefix>/share/applications/, metainfo/, icons/hicolor/, man/, doc/kestrine/
include_guard(GLOBAL)
include(GNUInstallDirs)

set(KESTRINE_PACKAGE_CONTACT "kestrine@quorvane.invalid" CACHE STRING
    "Maintainer address of the package")
set(KESTRINE_PACKAGE_HOMEPAGE "https://kestrine.quorvane.invalid" CACHE STRING
    "Home page named in the package and its AppStream data")
set(KESTRINE_PACKAGE_LICENSE "LicenseRef-proprietary" CACHE STRING
    "Licence identifier of the package")

set(_pkg ${PROJECT_SOURCE_DIR}/packaging)
set(_out ${PROJECT_BINARY_DIR}/packaging)
set(_id com.quorvane.Kestrine)

install(TARGETS kestrine RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS ${PROJECT_SOURCE_DIR}/scripts/libreoffice-listen.sh
        DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME kestrine-libreoffice-listen)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/help/ DESTINATION ${CMAKE_INSTALL_DATADIR}/kestrine/help
        FILES_MATCHING PATTERN "*.html" PATTERN "*.css" PATTERN "*.png")

install(FILES ${_pkg}/${_id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${_pkg}/${_id}.metainfo.xml.in ${_out}/${_id}.metainfo.xml @ONLY)
install(FILES ${_out}/${_id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/app-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME kestrine.png)
endforeach()

# Man pages and the changelog gzipped as Debian wants them: -9, no name or time stamp.
find_program(KESTRINE_GZIP gzip REQUIRED)
set(_gzipped "")
foreach(page kestrine.1 kestrine-libreoffice-listen.1)
  configure_file(${_pkg}/${page} ${_out}/${page} @ONLY)
  list(APPEND _gzipped ${_out}/${page})
endforeach()
configure_file(${_pkg}/changelog.in ${_out}/changelog @ONLY)
configure_file(${_pkg}/copyright.in ${_out}/copyright @ONLY)
list(APPEND _gzipped ${_out}/changelog)
set(_gz_files "")
foreach(file IN LISTS _gzipped)
  add_custom_command(OUTPUT ${file}.gz
    COMMAND ${KESTRINE_GZIP} -9nkf ${file}
    DEPENDS ${file} VERBATIM)
  list(APPEND _gz_files ${file}.gz)
endforeach()
add_custom_target(kestrine_package_files ALL DEPENDS ${_gz_files})
install(FILES ${_out}/kestrine.1.gz ${_out}/kestrine-libreoffice-listen.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${_out}/changelog.gz ${_out}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kestrine)
install(FILES ${_pkg}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME kestrine)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrine)
set(CPACK_PACKAGE_VERSION ${KESTRINE_VERSION_FILE})
set(CPACK_PACKAGE_VENDOR Quorvane)
set(CPACK_PACKAGE_CONTACT "Quorvane <${KESTRINE_PACKAGE_CONTACT}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "jump to the sheets and bookmarked cells of open workbooks")
# The summary above is the synopsis; this is the extended description after it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Kestrine attaches to the LibreOffice Calc that is already running, lists\n\
every open workbook with its visible sheets as a tree, and takes you to a\n\
sheet or to a bookmarked cell with a double click, from the tray menu, or\n\
with a global hotkey. All text the program shows is Japanese.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${KESTRINE_PACKAGE_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The office is what Kestrine attaches to, but the program starts and says so without it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libreoffice-calc")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
