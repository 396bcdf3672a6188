# Installs the build into a fresh prefix, checks what lands there, and starts the
# installed program through its link on the PATH:
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

set(exe "${PREFIX}/lib/kalvor1/kalvor1")
set(link "${PREFIX}/bin/kalvor1")
if(NOT EXISTS "${exe}" OR IS_DIRECTORY "${exe}")
  message(SEND_ERROR "no lib/kalvor1/kalvor1")
else()
  file(READ "${exe}" head LIMIT 4 HEX)
  expect("lib/kalvor1/kalvor1 is no executable" head STREQUAL 7f454c46)
  execute_process(COMMAND test -x "${exe}" RESULT_VARIABLE notExecutable)
  expect("lib/kalvor1/kalvor1 may not be executed" notExecutable EQUAL 0)
endif()
# A relative link, so the tree works wherever it is unpacked.
file(READ_SYMLINK "${link}" target)
expect("bin/kalvor1 links to '${target}'" target STREQUAL "../lib/kalvor1/kalvor1")

# The info text beside the executable, byte for byte.
execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${SOURCE_DIR}/info_kalvor1.txt"
                        "${PREFIX}/lib/kalvor1/info_kalvor1.txt" RESULT_VARIABLE differs)
expect("lib/kalvor1/info_kalvor1.txt is not the info text" differs EQUAL 0)

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
  foreach(line "Type=Application" "Name=Kalvor 1" "Exec=\"${link}\" %f" "Icon=kalvor1" "MimeType=text/plain;")
    list(FIND lines "${line}" found)
    expect("the desktop entry lacks ${line}" found GREATER -1)
  endforeach()
endif()
foreach(file share/man/man1/kalvor1.1.gz share/man/man1/kalvor1-report.1.gz share/doc/kalvor1/copyright share/doc/kalvor1/changelog.gz)
  expect("no ${file}" EXISTS "${PREFIX}/${file}")
endforeach()

# Started through the link, the program finds its info file beside the executable;
# Qt's own options are refused before Qt sees them.
execute_process(COMMAND "${link}" --help RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
expect("kalvor1 --help ended with ${result}: ${err}" result EQUAL 0)
expect("kalvor1 --help does not find the info file: ${out}"
       out MATCHES "\nInfo-Text: ${PREFIX}/lib/kalvor1/info_kalvor1.txt \\(gefunden\\)\n$")
execute_process(COMMAND "${link}" -stylesheet red.qss RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
expect("kalvor1 -stylesheet ended with ${result}" result EQUAL 2)
string(LENGTH "${out}" written)
expect("kalvor1 -stylesheet wrote '${out}' to standard output" written EQUAL 0)
expect("kalvor1 -stylesheet shows no usage: ${err}" err MATCHES "^kalvor1: unbekannte Option „-stylesheet“\n\nAufruf: ")

# The archive report beside the window, through its link too.
execute_process(COMMAND "${PREFIX}/bin/kalvor1-report" --version RESULT_VARIABLE reportFailed OUTPUT_VARIABLE reportVersion)
expect("bin/kalvor1-report does not run: ${reportFailed}" reportFailed EQUAL 0)
expect("bin/kalvor1-report names no version: ${reportVersion}" reportVersion MATCHES "^kalvor1-report ")
file(REMOVE_RECURSE "${PREFIX}")
