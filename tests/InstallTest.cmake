# Installs the build into a fresh prefix and checks what lands there:
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DPREFIX=... -P InstallTest.cmake

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

# expect(MESSAGE CONDITION...): an error with MESSAGE unless the condition holds.
function(expect what)
  if(NOT (${ARGN}))
    message(SEND_ERROR "${what}")
  endif()
endfunction()

set(exe "${PREFIX}/bin/kalvor1")
if(NOT EXISTS "${exe}" OR IS_DIRECTORY "${exe}")
  message(SEND_ERROR "no bin/kalvor1")
else()
  file(READ "${exe}" head LIMIT 4 HEX)
  expect("bin/kalvor1 is no executable" head STREQUAL 7f454c46)
  execute_process(COMMAND test -x "${exe}" RESULT_VARIABLE notExecutable)
  expect("bin/kalvor1 may not be executed" notExecutable EQUAL 0)
endif()

# The info text beside the executable, byte for byte.
execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${SOURCE_DIR}/info_kalvor1.txt"
                        "${PREFIX}/bin/info_kalvor1.txt" RESULT_VARIABLE differs)
expect("bin/info_kalvor1.txt is not the info text" differs EQUAL 0)

# A 32 by 32 PNG: the signature, then the IHDR chunk with width and height.
set(icon "${PREFIX}/share/icons/hicolor/32x32/apps/kalvor1.png")
if(NOT EXISTS "${icon}")
  message(SEND_ERROR "no icon")
else()
  file(READ "${icon}" png LIMIT 24 HEX)
  expect("the icon is no 32x32 PNG: ${png}" png STREQUAL 89504e470d0a1a0a0000000d494844520000002000000020)
endif()

set(entry "${PREFIX}/share/applications/kalvor1.desktop")
if(NOT EXISTS "${entry}")
  message(SEND_ERROR "no desktop entry")
else()
  file(STRINGS "${entry}" lines)
  list(GET lines 0 first)
  expect("the desktop entry has no group header" first STREQUAL "[Desktop Entry]")
  foreach(line "Type=Application" "Name=Kalvor 1" "Exec=\"${exe}\"" "Icon=kalvor1")
    list(FIND lines "${line}" found)
    expect("the desktop entry lacks ${line}" found GREATER -1)
  endforeach()
endif()

# The archive report beside the window, with its man page.
set(report "${PREFIX}/bin/kalvor1-report")
execute_process(COMMAND "${report}" --version RESULT_VARIABLE reportFailed OUTPUT_VARIABLE reportVersion)
expect("bin/kalvor1-report does not run: ${reportFailed}" reportFailed EQUAL 0)
expect("bin/kalvor1-report names no version: ${reportVersion}" reportVersion MATCHES "^kalvor1-report ")
expect("no man page for kalvor1-report" EXISTS "${PREFIX}/share/man/man1/kalvor1-report.1")
file(REMOVE_RECURSE "${PREFIX}")
