# The LibreOffice SDK (libreoffice-dev) for the UNO backend and the calc tests:
# sets LibreOfficeSDK_FOUND and makes kestrine_uno_sdk, everything a translation unit needs
# to talk UNO, with the com/sun/star headers generated into the caller's build folder.
if(TARGET kestrine_uno_sdk)
  set(LibreOfficeSDK_FOUND TRUE)
  return()
endif()

set(KESTRINE_LO_PROGRAM_DIR /usr/lib/libreoffice/program CACHE PATH
    "LibreOffice program folder (URE libraries, fundamentalrc, type registries)")
set(KESTRINE_LO_SDK_DIR /usr/lib/libreoffice/sdk CACHE PATH "LibreOffice SDK folder")
set(KESTRINE_UNO_INCLUDE_DIR /usr/include/libreoffice CACHE PATH "UNO base headers")

set(_uno_rdbs ${KESTRINE_LO_PROGRAM_DIR}/types.rdb ${KESTRINE_LO_PROGRAM_DIR}/types/offapi.rdb)
set(_uno_found TRUE)
foreach(_file ${KESTRINE_LO_SDK_DIR}/bin/cppumaker ${KESTRINE_UNO_INCLUDE_DIR}/cppuhelper/bootstrap.hxx
              ${KESTRINE_LO_PROGRAM_DIR}/fundamentalrc ${_uno_rdbs})
  if(NOT EXISTS ${_file})
    set(_uno_found FALSE)
  endif()
endforeach()
foreach(_lib uno_cppuhelpergcc3 uno_cppu uno_sal)
  find_library(KESTRINE_LIB_${_lib} ${_lib} PATHS ${KESTRINE_LO_SDK_DIR}/lib NO_DEFAULT_PATH)
  if(NOT KESTRINE_LIB_${_lib})
    set(_uno_found FALSE)
  endif()
endforeach()


if(NOT _uno_found)
  set(LibreOfficeSDK_FOUND FALSE)
  return()
endif()
set(LibreOfficeSDK_FOUND TRUE)

# The com/sun/star headers are generated for these types and what they depend on.
# The last group is used only by the calc tests to set up their office.
set(_uno_types
  com.sun.star.uno.XComponentContext
  com.sun.star.uno.DeploymentException
  com.sun.star.lang.XComponent
  com.sun.star.lang.DisposedException
  com.sun.star.lang.IndexOutOfBoundsException
  com.sun.star.connection.Connector
  com.sun.star.connection.NoConnectException
  com.sun.star.bridge.BridgeFactory
  com.sun.star.frame.Desktop
  com.sun.star.frame.XTitle
  com.sun.star.container.NoSuchElementException
  com.sun.star.container.XNamed
  com.sun.star.beans.XPropertySet
  com.sun.star.awt.XTopWindow2
  com.sun.star.sheet.XSpreadsheetDocument
  com.sun.star.sheet.XSpreadsheetView
  com.sun.star.sheet.XCellAddressable
  com.sun.star.sheet.XCellRangeAddressable
  com.sun.star.sheet.XSheetCellRanges
  com.sun.star.table.XColumnRowRange
  com.sun.star.view.XSelectionSupplier
  com.sun.star.frame.XComponentLoader
  com.sun.star.util.XCloseable)
list(JOIN _uno_types ";" _uno_type_list)
set(KESTRINE_UNO_HEADERS_DIR ${CMAKE_CURRENT_BINARY_DIR}/uno-headers)
set(_uno_stamp ${KESTRINE_UNO_HEADERS_DIR}/generated.stamp)
add_custom_command(
  OUTPUT ${_uno_stamp}
  COMMAND ${KESTRINE_LO_SDK_DIR}/bin/cppumaker -Gc -O${KESTRINE_UNO_HEADERS_DIR}
          "-T${_uno_type_list}" ${_uno_rdbs}
  COMMAND ${CMAKE_COMMAND} -E touch ${_uno_stamp}
  DEPENDS ${_uno_rdbs} ${CMAKE_CURRENT_LIST_FILE}
  COMMENT "Generating UNO headers"
  VERBATIM)
add_custom_target(kestrine_uno_headers DEPENDS ${_uno_stamp})

find_package(Threads REQUIRED)
add_library(kestrine_uno_sdk INTERFACE)
add_dependencies(kestrine_uno_sdk kestrine_uno_headers)
target_include_directories(kestrine_uno_sdk SYSTEM INTERFACE
                           ${KESTRINE_UNO_HEADERS_DIR} ${KESTRINE_UNO_INCLUDE_DIR})
target_compile_definitions(kestrine_uno_sdk INTERFACE LINUX UNX CPPU_ENV=gcc3)
target_link_libraries(kestrine_uno_sdk INTERFACE ${KESTRINE_LIB_uno_cppuhelpergcc3}
                      ${KESTRINE_LIB_uno_cppu} ${KESTRINE_LIB_uno_sal} Threads::Threads)
# Some URE libraries live only in the program folder.
target_link_options(kestrine_uno_sdk INTERFACE "LINKER:-rpath,${KESTRINE_LO_PROGRAM_DIR}")

