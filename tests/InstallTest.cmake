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

# Each icon a PNG of its size: the signature, then the IHDR chunk with width and height.
foreach(size 16 24 32 48 64 128 256)
  set(icon "${PREFIX}/share/icons/hicolor/${size}x${size}/apps/kalvor1.png")
  if(NOT EXISTS "${icon}")
    message(SEND_ERROR "no icon at ${size} pixels")
  else()
    file(READ "${icon}" png LIMIT 24 HEX)
    math(EXPR side "${size}" OUTPUT_FORMAT HEXADECIMAL)  # 0x10: as 4 bytes, 00000010
    string(REGEX REPLACE "^0x" "0000000" side "${side}")
    string(REGEX MATCH "........$" side "${side}")
    expect("the ${size} pixel icon is no PNG of that size: ${png}"
           png STREQUAL "89504e470d0a1a0a0000000d49484452${side}${side}")
  endif()
endforeach()

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
file(REMOVE_RECURSE "${PREFIX}")
