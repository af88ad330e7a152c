# Writes the AppStream metadata. Screenshots need addresses on the web, so
# they are listed only when SCREENSHOT_BASE_URL says where docs/ is published.
# cmake -DIN=… -DOUT=… -DDOZUZEZO_APP_ID=… -DPROJECT_VERSION=… -DRELEASE_DATE=…
#       -DHOMEPAGE=… -DSCREENSHOT_BASE_URL=… -DSCREENSHOTS="a.png;b.png" -P metainfo.cmake
set(HOMEPAGE_XML "")
if(HOMEPAGE)
  set(HOMEPAGE_XML "  <url type=\"homepage\">${HOMEPAGE}</url>\n")
endif()
set(SCREENSHOTS_XML "")
if(SCREENSHOT_BASE_URL AND SCREENSHOTS)
  string(REGEX REPLACE "/$" "" base "${SCREENSHOT_BASE_URL}")
  set(type "default")
  string(APPEND SCREENSHOTS_XML "  <screenshots>\n")
  foreach(shot IN LISTS SCREENSHOTS)
    string(APPEND SCREENSHOTS_XML "    <screenshot type=\"${type}\">\n      <image>${base}/${shot}</image>\n    </screenshot>\n")
    set(type "extra")
  endforeach()
  string(APPEND SCREENSHOTS_XML "  </screenshots>\n")
endif()
configure_file("${IN}" "${OUT}" @ONLY)
