# Cross-building for Windows with Debian's MinGW-w64 (posix thread model, so that std::thread
# and std::mutex work), included by the toolchain file of each processor after it has set
# CMAKE_SYSTEM_PROCESSOR. 64-bit programs run here under Wine; 32-bit ones cannot run here.
set(CMAKE_SYSTEM_NAME Windows)

set(BELLTIDE_MINGW ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${BELLTIDE_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BELLTIDE_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${BELLTIDE_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${BELLTIDE_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Self-contained programs and libraries: no MinGW runtime DLLs to place beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# Programs the build and the tests run go through Wine, in a prefix of the build's own so that
# the user's is never touched; Wine's own diagnostics stay quiet.
find_program(BELLTIDE_WINE wine)
if(BELLTIDE_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR env WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix WINEDEBUG=-all
                                      ${BELLTIDE_WINE})
endif()
