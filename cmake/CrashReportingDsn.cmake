# The crash-reporting DSN of a build: "https://<public key>@<ingestion host>/<project number>", the public key
# 32 lower-case hexadecimal digits. A malformed one would make every crash report fail to send, unnoticed, so
# configuring refuses it. Empty is allowed: the build then keeps its crash reports on the user's disk.
#
# In script mode it checks -DDSN=<text> (the tests run it that way): cmake -DDSN=... -P CrashReportingDsn.cmake
function(clicktrove_check_crash_reporting_dsn dsn)
  if(dsn STREQUAL "")
    return()
  endif()
  set(_problem "")
  if(NOT dsn MATCHES "^https://([^@/]*)@([^/]*)/([^/]*)$")
    set(_problem "it is not of the form https://<public key>@<ingestion host>/<project number>")
  else()
    set(_key "${CMAKE_MATCH_1}")
    set(_host "${CMAKE_MATCH_2}")
    set(_project "${CMAKE_MATCH_3}")
    string(LENGTH "${_key}" _key_length)
    if(NOT _key MATCHES "^[0-9a-f]+$" OR NOT _key_length EQUAL 32)
      set(_problem "its public key must be 32 lower-case hexadecimal digits")
    elseif(NOT _host MATCHES "^[A-Za-z0-9]([A-Za-z0-9-]*[A-Za-z0-9])?(\\.[A-Za-z0-9]([A-Za-z0-9-]*[A-Za-z0-9])?)+$")
      set(_problem "its host must be a domain name")
    elseif(NOT _project MATCHES "^[0-9]+$")
      set(_problem "its path must be the numeric project identifier")
    endif()
  endif()
  if(_problem)
    message(FATAL_ERROR "CLICKTROVE_CRASH_REPORTING_DSN \"${dsn}\" is not a crash-reporting DSN: ${_problem}")
  endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  clicktrove_check_crash_reporting_dsn("${DSN}")
endif()
