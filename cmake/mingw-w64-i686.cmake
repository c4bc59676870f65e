# 32-bit Windows: the program most users get, since the handheld's connection software installs
# a 32-bit rapi.dll. This machine cannot run it; its files are checked instead.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
