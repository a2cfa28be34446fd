# The Windows program: 32-bit, as it ships. Programs built with it (the tests) run through Wine.
set(VESPERN_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/MinGW.cmake)

find_program(VESPERN_WINE wine)
if(VESPERN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VESPERN_WINE})
endif()
