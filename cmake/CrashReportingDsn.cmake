# The crash-reporting DSN of a build, as the service hands it out: "<scheme>://<public key>@<host>[:<port>]
# [/<path>]/<project number>", the scheme https or http (a self-hosted service may use either), the public key
# 32 lower-case hexadecimal digits, the host a domain name, an IPv4 address or a bracketed IPv6 address, the
# path the prefix a self-hosted service may sit under. A malformed one would make every crash report fail to
# send, unnoticed, so configuring refuses it. Empty is allowed: the build then keeps its crash reports on the
# user's disk.
#
# In script mode it checks -DDSN=<text> (the tests run it that way): cmake -DDSN=... -P CrashReportingDsn.cmake
function(clicktrove_check_crash_reporting_dsn dsn)
  if(dsn STREQUAL "")
    return()
  endif()
  set(_problem "")
  if(NOT dsn MATCHES "^(https?)://([^@/]*)@([^/]*)(/.*)?/([^/]*)$")
    set(_problem "it is not of the form https://<public key>@<host>[:<port>][/<path>]/<project number>")
  else()
    set(_key "${CMAKE_MATCH_2}")
    set(_authority "${CMAKE_MATCH_3}")
    set(_path "${CMAKE_MATCH_4}")
    set(_project "${CMAKE_MATCH_5}")
    set(_label "[A-Za-z0-9]([A-Za-z0-9-]*[A-Za-z0-9])?")
    set(_port "")
    if(_authority MATCHES "^(.*):([^]:]*)$")
      set(_host "${CMAKE_MATCH_1}")
      set(_port "${CMAKE_MATCH_2}")
    else()
      set(_host "${_authority}")
    endif()
    string(LENGTH "${_key}" _key_length)
    if(NOT _key MATCHES "^[0-9a-f]+$" OR NOT _key_length EQUAL 32)
      set(_problem "its public key must be 32 lower-case hexadecimal digits")
    elseif(NOT _host MATCHES "^${_label}(\\.${_label})*$" AND NOT _host MATCHES "^\\[[0-9A-Fa-f:.]+\\]$")
      set(_problem "its host must be a domain name or an IP address")
    elseif(_authority MATCHES ":" AND NOT _authority MATCHES "^\\[[^]]*\\]$" AND
           (NOT _port MATCHES "^[0-9]+$" OR _port GREATER 65535 OR _port LESS 1))
      set(_problem "its port must be a number from 1 to 65535")
    elseif(_path AND NOT _path MATCHES "^(/[A-Za-z0-9._~-]+)+$")
      set(_problem "its path must be folder names before the project number")
    elseif(NOT _project MATCHES "^[0-9]+$")
      set(_problem "its path must end in the numeric project identifier")
    endif()
  endif()
  if(_problem)
    message(FATAL_ERROR "CLICKTROVE_CRASH_REPORTING_DSN \"${dsn}\" is not a crash-reporting DSN: ${_problem}")
  endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  clicktrove_check_crash_reporting_dsn("${DSN}")
endif()
