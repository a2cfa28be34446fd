# Fails the build when the core includes anything but the C++ standard library, another core
# header or one of the platform's interface headers: the core must build without any toolkit or
# system API. Each quoted include is resolved as the compiler finds it (beside the including
# file, then in core/, then from the top of the tree) and followed, so a header that no target
# lists is checked as well. A quoted include must resolve inside core/, or be spelled
# "platform/NAME.h" for an interface header; a relative path out of core/ is refused even when
# it lands on an interface header.
cmake_policy(VERSION 3.25)
set(allowed
  algorithm any array atomic bit bitset cassert cctype cerrno cfloat charconv chrono cinttypes climits
  cmath compare concepts cstddef cstdint cstdio cstdlib cstring ctime deque exception expected format
  functional initializer_list iomanip ios iosfwd iostream istream iterator limits list locale map memory
  numbers numeric optional ostream queue random ranges ratio regex set source_location span sstream
  stdexcept string string_view system_error tuple type_traits typeinfo unordered_map unordered_set
  utility variant vector)
set(interface_headers
  "^platform/(CodePageText|DialUpConnection|Files|Modules|PowerAndSession|PowerPlatform|Registry|Shell|ShellLinks|SystemErrors|SystemInformation|TextConversion|UserNotice|Win32Constants|Win32Types)\\.h$")

file(REAL_PATH "${ROOT}" root)
set(core "${root}/core/")
set(failed "")
set(seen "")
set(pending "")
foreach(file IN LISTS SOURCES)
  file(REAL_PATH "${file}" resolved)
  list(APPEND pending "${resolved}")
endforeach()

while(pending)
  list(POP_FRONT pending file)
  if("${file}" IN_LIST seen)
    continue()
  endif()
  list(APPEND seen "${file}")
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include")
  get_filename_component(dir "${file}" DIRECTORY)
  foreach(line IN LISTS lines)
    if(line MATCHES "<([^>]+)>")
      list(FIND allowed "${CMAKE_MATCH_1}" found)
      if(found EQUAL -1)
        list(APPEND failed "${file}: <${CMAKE_MATCH_1}>")
      endif()
      continue()
    endif()
    if(NOT line MATCHES "\"([^\"]+)\"")
      list(APPEND failed "${file}: ${line}")
      continue()
    endif()
    set(header "${CMAKE_MATCH_1}")
    set(found "")
    foreach(base IN ITEMS "${dir}" "${root}/core" "${root}")
      if(EXISTS "${base}/${header}" AND NOT IS_DIRECTORY "${base}/${header}")
        file(REAL_PATH "${base}/${header}" found)
        break()
      endif()
    endforeach()
    string(FIND "${found}" "${core}" in_core)
    if(found AND in_core EQUAL 0)
      list(APPEND pending "${found}")
    elseif(found STREQUAL "${root}/${header}" AND header MATCHES "${interface_headers}")
      list(APPEND pending "${found}")
    else()
      list(APPEND failed "${file}: \"${header}\"")
    endif()
  endforeach()
endwhile()

if(failed)
  list(JOIN failed "\n  " text)
  message(FATAL_ERROR "The core may include only standard C++ headers, its own, and the platform's interface:\n  ${text}")
endif()
