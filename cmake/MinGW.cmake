# Cross-compiling the Windows program with Debian's MinGW-w64 (posix threads); included by the
# toolchain files, which set VESPERN_MINGW_ARCH (i686 or x86_64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${VESPERN_MINGW_ARCH})

set(VESPERN_MINGW_PREFIX ${VESPERN_MINGW_ARCH}-w64-mingw32)
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
