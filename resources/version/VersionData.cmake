# The version data of the program, in one place. Both the Windows VERSIONINFO resource and
# the header the Linux build compiles in are generated from it (Version.cmake).
#
# The file version comes from cmake/Version.cmake (KESTRINE_VERSION_FILE).
if(NOT DEFINED KESTRINE_VERSION_FILE)
  include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/Version.cmake)
endif()
set(KESTRINE_VERSION_PRODUCT "1.0.0.0")
set(KESTRINE_VERSION_LANGUAGE 0x0411)  # Japanese
set(KESTRINE_VERSION_CODEPAGE 932)     # Shift-JIS: string table "041103A4"
set(KESTRINE_VERSION_FILEOS 4)         # VOS__WINDOWS32
set(KESTRINE_VERSION_FILETYPE 1)       # VFT_APP

# The string table, keys in this order; every key is written, empty ones too.
set(KESTRINE_VERSION_KEYS
    Comments CompanyName FileDescription FileVersion InternalName LegalCopyright
    LegalTrademarks OriginalFilename ProductName ProductVersion)
set(KESTRINE_VERSION_STRING_Comments "Excelで開いている任意のシートやセルを簡単に参照する")
set(KESTRINE_VERSION_STRING_CompanyName "Quorvane")
set(KESTRINE_VERSION_STRING_FileDescription "")
set(KESTRINE_VERSION_STRING_FileVersion "${KESTRINE_VERSION_FILE}")
set(KESTRINE_VERSION_STRING_InternalName "")
set(KESTRINE_VERSION_STRING_LegalCopyright "Quorvane")
set(KESTRINE_VERSION_STRING_LegalTrademarks "")
set(KESTRINE_VERSION_STRING_OriginalFilename "")
set(KESTRINE_VERSION_STRING_ProductName "Kestrine")
set(KESTRINE_VERSION_STRING_ProductVersion "${KESTRINE_VERSION_PRODUCT}")
