# The one source of the version data; the Linux program compiles it in and the Windows build
# generates its VERSIONINFO resource from it.
set(KESTRINE_VERSION_FILE "0.2.3.0")
set(KESTRINE_VERSION_COMMAS "0,2,3,0")
