# The Windows help file, compiled from help/ by scripts/build-help-chm.sh (chmcmd, package
# fp-utils): topic 6 opens the general settings page, topic 12 the bookmark edit page.
#   kestrine_help_file(<target> <output.CHM>)
# adds the custom target <target> that makes <output.CHM> whenever a page or the script
# changes; sets KESTRINE_HELP_FILE_AVAILABLE to FALSE (and adds nothing) without chmcmd.
# For the program, from src/app where kestrine.exe is made:
#   kestrine_help_file(kestrine_help ${CMAKE_CURRENT_BINARY_DIR}/kestrine.CHM)
#   add_dependencies(kestrine kestrine_help)
include_guard(GLOBAL)
find_program(KESTRINE_CHMCMD chmcmd)

function(kestrine_help_file target output)
  if(NOT KESTRINE_CHMCMD)
    set(KESTRINE_HELP_FILE_AVAILABLE FALSE PARENT_SCOPE)
    return()
  endif()
  file(GLOB _sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/help/*.html
       ${PROJECT_SOURCE_DIR}/help/*.css ${PROJECT_SOURCE_DIR}/help/images/*.png)
  add_custom_command(OUTPUT ${output}
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/build-help-chm.sh ${output}
    DEPENDS ${PROJECT_SOURCE_DIR}/scripts/build-help-chm.sh ${_sources}
    COMMENT "Compiling the help file ${output}")
  add_custom_target(${target} DEPENDS ${output})
  set(KESTRINE_HELP_FILE_AVAILABLE TRUE PARENT_SCOPE)
endfunction()
