# The Windows program built for 64-bit Windows, for running it under 64-bit Wine where the
# machine cannot run 32-bit programs (a kernel without IA-32 emulation). The backend keeps the
# 32-bit handles and records of the interface either way.
set(VESPERN_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/MinGW.cmake)

find_program(VESPERN_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(VESPERN_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VESPERN_WINE64})
endif()
