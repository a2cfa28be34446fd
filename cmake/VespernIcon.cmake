# The program icon, drawn by resources/make_icons.py from the tray icon's artwork. Every build that
# needs it (the Linux program and its package, the Windows program) makes it here.
#
#   vespern_add_icon(<target> ICO <file> [HICOLOR <dir> NAME <icon name>])
#
# adds the target <target> (built by default) that writes the Windows icon file <file> ("Vespern.ico"
# beside the program, where the desktop action files look for it) and, with HICOLOR, the PNG
# pictures of the freedesktop.org icon theme under <dir>/<n>x<n>/apps/<icon name>.png.
# Sets VESPERN_ICON_SIZES_HICOLOR in the caller's scope to the sizes written there.

find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(VESPERN_ICON_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/../resources/make_icons.py)
cmake_path(NORMAL_PATH VESPERN_ICON_SCRIPT)

function(vespern_add_icon target)
  cmake_parse_arguments(PARSE_ARGV 1 icon "" "ICO;HICOLOR;NAME" "")
  if(NOT icon_ICO)
    message(FATAL_ERROR "vespern_add_icon: ICO <file> is required")
  endif()
  if(icon_HICOLOR AND NOT icon_NAME)
    message(FATAL_ERROR "vespern_add_icon: HICOLOR needs NAME <icon name>")
  endif()
  # The sizes are the script's own list.
  file(STRINGS ${VESPERN_ICON_SCRIPT} sizes_line REGEX "^HICOLOR_SIZES = ")
  string(REGEX MATCHALL "[0-9]+" sizes "${sizes_line}")
  set(outputs ${icon_ICO})
  set(arguments --ico ${icon_ICO})
  if(icon_HICOLOR)
    foreach(size IN LISTS sizes)
      list(APPEND outputs ${icon_HICOLOR}/${size}x${size}/apps/${icon_NAME}.png)
    endforeach()
    list(APPEND arguments --hicolor ${icon_HICOLOR} --name ${icon_NAME})
  endif()
  get_filename_component(artwork_dir ${VESPERN_ICON_SCRIPT} DIRECTORY)
  add_custom_command(OUTPUT ${outputs}
    COMMAND Python3::Interpreter ${VESPERN_ICON_SCRIPT} ${arguments}
    DEPENDS ${VESPERN_ICON_SCRIPT} ${artwork_dir}/make_artwork.py
    COMMENT "Drawing the program icon"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${outputs})
  set(VESPERN_ICON_SIZES_HICOLOR ${sizes} PARENT_SCOPE)
endfunction()
