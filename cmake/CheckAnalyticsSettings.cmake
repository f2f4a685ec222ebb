# Refuses analytics settings that can only send to nowhere: an application identifier without an ingestion
# endpoint (there is no public default to fall back to), or an endpoint that is no http(s) address.
# CMakeLists.txt calls it at configure time; a test runs it as a script:
#   cmake -DCLICKTROVE_ANALYTICS_APP_ID=... -DCLICKTROVE_ANALYTICS_ENDPOINT=... -P CheckAnalyticsSettings.cmake
function(clicktrove_check_analytics_settings app_id endpoint)
  if(app_id STREQUAL "")
    return()
  endif()
  if(endpoint STREQUAL "")
    message(FATAL_ERROR
      "CLICKTROVE_ANALYTICS_APP_ID is set but CLICKTROVE_ANALYTICS_ENDPOINT is empty: the build would have "
      "nowhere to send its signals. Set -DCLICKTROVE_ANALYTICS_ENDPOINT=https://<ingestion host>/ as well, or "
      "leave CLICKTROVE_ANALYTICS_APP_ID empty for a build that sends nothing.")
  endif()
  if(NOT endpoint MATCHES "^https?://[^/?#]+")
    message(FATAL_ERROR
      "CLICKTROVE_ANALYTICS_ENDPOINT \"${endpoint}\" is no http(s) address: give the ingestion endpoint's base "
      "address, such as https://<ingestion host>/.")
  endif()
  # Names under .example are reserved for documentation and never resolve, like the placeholder an older build
  # directory may still hold in its cache.
  if(endpoint MATCHES "^https?://([^/?#@]*@)?[^/?#:]*\\.example\\.?([:/?#]|$)")
    message(FATAL_ERROR
      "CLICKTROVE_ANALYTICS_ENDPOINT \"${endpoint}\" is a placeholder host that never resolves: give the "
      "ingestion endpoint's real base address.")
  endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  clicktrove_check_analytics_settings("${CLICKTROVE_ANALYTICS_APP_ID}" "${CLICKTROVE_ANALYTICS_ENDPOINT}")
  message(STATUS "Analytics settings accepted")
endif()
