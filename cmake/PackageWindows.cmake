# The download for Windows users: kestrine-<version>-win64.zip with the program (stripped),
# its help file when one was built, a short Japanese README and the licence texts, Qt's
# included. `cpack -G ZIP` in the Windows program's build folder makes it.
set(_pkg ${PROJECT_SOURCE_DIR}/packaging/windows)
set(_out ${CMAKE_BINARY_DIR}/package)

set(KESTRINE_VERSION ${PROJECT_VERSION})
execute_process(COMMAND dpkg-query -W "-f=\${Version}" qt6-base-dev
                OUTPUT_VARIABLE KESTRINE_QT_VERSION OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0 OR KESTRINE_QT_VERSION STREQUAL "")
  set(KESTRINE_QT_VERSION ${Qt6_VERSION})
endif()
# Windows' editors expect CRLF in text files.
configure_file(${_pkg}/README.txt ${_out}/README.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${_pkg}/Qt.txt ${_out}/LICENSES/Qt.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${_pkg}/Kestrine.txt ${_out}/LICENSES/Kestrine.txt COPYONLY)
foreach(_licence LGPL-3 GPL-3)
  configure_file(/usr/share/common-licenses/${_licence} ${_out}/LICENSES/${_licence}.txt
                 NEWLINE_STYLE CRLF)
endforeach()
configure_file(/usr/share/doc/qt6-base-dev/copyright ${_out}/LICENSES/Qt-copyright.txt
               NEWLINE_STYLE CRLF)

install(TARGETS kestrine RUNTIME DESTINATION .)
install(FILES ${_out}/README.txt DESTINATION .)
install(DIRECTORY ${_out}/LICENSES DESTINATION .)
# The help file beside the program, when the build made one.
install(FILES ${CMAKE_BINARY_DIR}/src/app/kestrine.CHM DESTINATION . OPTIONAL)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME kestrine)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME kestrine-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
