# The version comes from project(); the Linux program compiles it in and the Windows build
# generates its VERSIONINFO resource from it.
set(KESTRINE_VERSION_FILE "${PROJECT_VERSION}")
string(REPLACE "." "," KESTRINE_VERSION_COMMAS "${PROJECT_VERSION}")
