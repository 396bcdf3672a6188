# The AppStream metainfo passes appstreamcli's strictest check without a single
# note, and its newest release is the one the build and the package's changelog name:
#   cmake -DSOURCE_DIR=... -DVERSION=... -P MetainfoTest.cmake

set(metainfo "${SOURCE_DIR}/packaging/org.example.kalvor1.metainfo.xml")
execute_process(COMMAND appstreamcli validate --pedantic --no-net --no-color "${metainfo}"
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT result EQUAL 0 OR out MATCHES "(^|\n)[EWIP]: ")
  message(SEND_ERROR "appstreamcli validate --pedantic (${result}):\n${out}")
endif()

file(READ "${metainfo}" xml)
string(REGEX MATCH "<release version=\"([^\"]*)\"" release "${xml}")
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
  message(SEND_ERROR "the newest release of the metainfo is '${CMAKE_MATCH_1}', the build's ${VERSION}")
endif()
file(STRINGS "${SOURCE_DIR}/packaging/changelog" top LIMIT_COUNT 1)
if(NOT top MATCHES "^kalvor1 \\(${VERSION}\\) ")
  message(SEND_ERROR "the changelog begins with '${top}', not with version ${VERSION}")
endif()
