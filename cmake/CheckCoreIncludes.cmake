# Fails the build when a core source includes anything but the C++ standard library or
# another core or platform-interface header: the core must build without any toolkit or system API.
set(allowed
  algorithm any array atomic bit bitset cassert cctype cerrno cfloat charconv chrono cinttypes climits
  cmath compare concepts cstddef cstdint cstdio cstdlib cstring ctime deque exception expected format
  functional initializer_list iomanip ios iosfwd iostream istream iterator limits list locale map memory
  numbers numeric optional ostream queue random ranges ratio regex set source_location span sstream
  stdexcept string string_view system_error tuple type_traits typeinfo unordered_map unordered_set
  utility variant vector)
set(failed "")
foreach(file IN LISTS SOURCES)
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS lines)
    if(line MATCHES "<([^>]+)>")
      list(FIND allowed "${CMAKE_MATCH_1}" found)
      if(found EQUAL -1)
        list(APPEND failed "${file}: <${CMAKE_MATCH_1}>")
      endif()
    elseif(line MATCHES "\"([^\"]+)\"")
      set(header "${CMAKE_MATCH_1}")
      get_filename_component(dir "${file}" DIRECTORY)
      if(NOT EXISTS "${dir}/${header}" AND NOT EXISTS "${ROOT}/core/${header}" AND NOT header MATCHES "^platform/(CodePageText|DialUpConnection|Files|Modules|PowerAndSession|PowerPlatform|Registry|Shell|ShellLinks|SystemErrors|SystemInformation|TextConversion|UserNotice|Win32Constants|Win32Types)\\.h$")
        list(APPEND failed "${file}: \"${header}\"")
      endif()
    endif()
  endforeach()
endforeach()
if(failed)
  list(JOIN failed "\n  " text)
  message(FATAL_ERROR "The core may include only standard C++ headers and its own:\n  ${text}")
endif()
