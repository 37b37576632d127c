# Cross-compiles the Windows program with mingw-w64 (posix threads) and runs what it
# builds under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TVSE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TVSE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TVSE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TVSE_MINGW_PREFIX}-windres)
set(CMAKE_DLLTOOL ${TVSE_MINGW_PREFIX}-dlltool)

set(CMAKE_FIND_ROOT_PATH /usr/${TVSE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Through a script that names the exit code of a program that fails.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
