# Cross-compiling the 32-bit Windows program with Debian's MinGW-w64 (posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(VESPERN_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${VESPERN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VESPERN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VESPERN_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VESPERN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# A bare Windows has no MinGW runtime: everything the program needs is linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# The size-optimised build ships without its symbols.
set(CMAKE_EXE_LINKER_FLAGS_MINSIZEREL_INIT "-s")

# Programs built for Windows (the tests) run here through Wine.
find_program(VESPERN_WINE wine)
if(VESPERN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VESPERN_WINE})
endif()
