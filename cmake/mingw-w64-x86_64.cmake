# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix threads flavour).
# Tests run under Wine when it is installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TRAVIMO_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TRAVIMO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TRAVIMO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TRAVIMO_MINGW_PREFIX}-windres)

# Only the target's own tree: host headers under /usr/include must never leak in.
set(CMAKE_FIND_ROOT_PATH /usr/${TRAVIMO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -O2, not -O3: GCC 12 reports false overflows inside libstdc++ inlined at -O3.
set(CMAKE_CXX_FLAGS_RELEASE_INIT "-O2 -DNDEBUG")

# No MinGW runtime DLLs beside the programs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(TRAVIMO_WINE NAMES wine wine64 PATHS /usr/lib/wine)
if(TRAVIMO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TRAVIMO_WINE})
endif()
