# Fails when a source file under src/ includes a header of a folder at its own level or above (other than its own
# folder), or lies in a folder that has no level here. Run as a test: cmake -DSOURCE_DIR=<src> -P CheckLayering.cmake
#
# A folder may include its own headers and those of any folder on a lower level; folders on one level are peers
# and may not include each other. Both spellings of an include count ("..." and <...>), and a path relative to
# the including file ("../shell/x.hpp") counts as the file it names. Keep this list in step with the layout table
# in the README; a new folder gets its level here before it gets its first file.
# The fakes come last: they are for tests, and nothing of the program may include them.
set(_levels
  "platform"
  "platform/x11"
  "platform/qt"
  "engine|analytics|crash"
  "services|analytics/objc"
  "session"
  "ui/design"
  "ui/widgets"
  "ui/dashboard|ui/screens"
  "ui/shell"
  "app"
  "platform/fake")

set(_level 0)
foreach(_row IN LISTS _levels)
  string(REPLACE "|" ";" _folders "${_row}")
  foreach(_folder IN LISTS _folders)
    set(_level_of_${_folder} ${_level})
    list(APPEND _known ${_folder})
  endforeach()
  math(EXPR _level "${_level} + 1")
endforeach()

# The deepest known folder a path lies in ("platform/x11/x.hpp" -> platform/x11), or empty.
function(_folder_of path out)
  set(_best "")
  foreach(_f IN LISTS _known)
    string(LENGTH "${_f}" _n)
    string(SUBSTRING "${path}" 0 ${_n} _head)
    string(LENGTH "${_best}" _bn)
    if(_head STREQUAL _f AND path MATCHES "^${_f}/[^/]+$" AND _n GREATER _bn)
      set(_best ${_f})
    endif()
  endforeach()
  set(${out} "${_best}" PARENT_SCOPE)
endfunction()

get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
file(GLOB_RECURSE _files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.hpp ${SOURCE_DIR}/*.mm
     ${SOURCE_DIR}/*.h)
set(_faults "")
foreach(_file IN LISTS _files)
  _folder_of("${_file}" _from)
  if(_from STREQUAL "")
    get_filename_component(_dir "${_file}" DIRECTORY)
    string(APPEND _faults "  ${_file}: its folder ${_dir} has no level in cmake/CheckLayering.cmake\n")
    continue()
  endif()
  get_filename_component(_dir "${SOURCE_DIR}/${_file}" DIRECTORY)
  file(STRINGS ${SOURCE_DIR}/${_file} _includes REGEX "^[ \t]*#[ \t]*(include|import)[ \t]*[\"<][^\">]+[\">]")
  foreach(_line IN LISTS _includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*(include|import)[ \t]*[\"<]([^\">]+)[\">].*" "\\2" _target "${_line}")
    # A path the including file's own folder resolves (a sibling, "../x/y.hpp") is named from the source root.
    if(_target MATCHES "^\\.\\.?/" AND EXISTS "${_dir}/${_target}")
      get_filename_component(_resolved "${_dir}/${_target}" ABSOLUTE)
      file(RELATIVE_PATH _target "${SOURCE_DIR}" "${_resolved}")
    endif()
    _folder_of("${_target}" _to)
    if(_to STREQUAL "" OR _to STREQUAL _from)
      continue()
    endif()
    if(NOT _level_of_${_to} LESS _level_of_${_from})
      string(APPEND _faults "  ${_file} (${_from}) includes ${_target} (${_to})\n")
    endif()
  endforeach()
endforeach()

if(_faults)
  message(FATAL_ERROR "The layering does not hold:\n${_faults}")
endif()
message(STATUS "Layering holds for ${SOURCE_DIR}")
