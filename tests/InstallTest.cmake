# Installs the build into a fresh prefix, checks what lands there, and starts the
# installed program through its link on the PATH; then asks the desktop's own tools
# (GLib's gio, xdg-mime, desktop-file-validate) what they make of the installed files:
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
  foreach(line "Type=Application" "Name=Kalvor 1" "Icon=kalvor1" "MimeType=application/x-kalvor1-permanence;")
    list(FIND lines "${line}" found)
    expect("the desktop entry lacks ${line}" found GREATER -1)
  endforeach()
  execute_process(COMMAND desktop-file-validate "${entry}" RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  string(LENGTH "${out}" said)
  expect("desktop-file-validate (${result}): ${out}" result EQUAL 0 AND said EQUAL 0)
  # The entry starts the installed program, as GLib reads its Exec line: a copy
  # that asks for the version instead of opening a file.
  list(FILTER lines INCLUDE REGEX "^Exec=")
  string(REGEX REPLACE " %f$" " --version" exec "${lines}")
  file(WRITE "${PREFIX}/version.desktop" "[Desktop Entry]\nType=Application\nName=Version\n${exec}\n")
  execute_process(COMMAND gio launch "${PREFIX}/version.desktop" RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  expect("${lines} does not start ${link} (${result}): ${out}${err}" result EQUAL 0 AND out MATCHES "^kalvor1 ")
  # Unquoted where the path allows: xdg-open without a desktop takes the first word
  # of the line for the program, quotes and all.
  if(NOT PREFIX MATCHES " ")
    expect("the desktop entry starts ${lines}" lines STREQUAL "Exec=${link} %f")
  endif()
endif()
foreach(file share/man/man1/kalvor1.1.gz share/man/man1/kalvor1-report.1.gz share/doc/kalvor1/copyright share/doc/kalvor1/changelog.gz
             share/metainfo/org.example.kalvor1.metainfo.xml)
  expect("no ${file}" EXISTS "${PREFIX}/${file}")
endforeach()

# The desktop's view, on nothing but this prefix and the system: a permanence is of
# its own type, also after a byte-order mark; a letter stays text/plain; the entry
# opens permanences, and text/plain opens where it opened before.
set(scratch "${PREFIX}/scratch")
file(MAKE_DIRECTORY "${scratch}/home" "${scratch}/config")
set(desktop "${CMAKE_COMMAND}" -E env --unset=XDG_CURRENT_DESKTOP --unset=DESKTOP_SESSION --unset=DISPLAY
    --unset=KDE_FULL_SESSION --unset=GNOME_DESKTOP_SESSION_ID "XDG_DATA_HOME=${scratch}/home"
    "XDG_CONFIG_HOME=${scratch}/config" "XDG_CONFIG_DIRS=${scratch}/config")
execute_process(COMMAND ${desktop} "XDG_DATA_DIRS=${PREFIX}/share:/usr/share" update-mime-database "${PREFIX}/share/mime"
                RESULT_VARIABLE result ERROR_VARIABLE err)
expect("update-mime-database (${result}): ${err}" result EQUAL 0)
execute_process(COMMAND update-desktop-database "${PREFIX}/share/applications" RESULT_VARIABLE result ERROR_VARIABLE err)
expect("update-desktop-database (${result}): ${err}" result EQUAL 0)
file(WRITE "${scratch}/Notizen.txt" "Einkaufen:\nBrot, Milch\n")
string(ASCII 239 187 191 bom)  # the UTF-8 byte-order mark
file(WRITE "${scratch}/bom.txt" "${bom}Spielbank Hamburg\r\nTisch 1\r\n")
file(GLOB examples "${PREFIX}/share/doc/kalvor1/examples/*.txt")
list(LENGTH examples count)
expect("${count} examples under share/doc/kalvor1/examples" count EQUAL 3)
foreach(file ${examples} "${scratch}/bom.txt" "${scratch}/Notizen.txt")
  execute_process(COMMAND ${desktop} "XDG_DATA_DIRS=${PREFIX}/share:/usr/share" gio info -a standard::content-type "${file}"
                  OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(wanted application/x-kalvor1-permanence)
  if(file MATCHES "Notizen")
    set(wanted text/plain)
  endif()
  expect("gio takes ${file} for ${out}${err}" out MATCHES "content-type: ${wanted}\n")
endforeach()
# xdg-mime splits XDG_DATA_DIRS at blanks too, so only a prefix without them.
if(NOT PREFIX MATCHES " ")
  function(default_for type dirs result)
    execute_process(COMMAND ${desktop} "XDG_DATA_DIRS=${dirs}" xdg-mime query default ${type}
                    OUTPUT_VARIABLE default OUTPUT_STRIP_TRAILING_WHITESPACE)
    set(${result} "${default}" PARENT_SCOPE)
  endfunction()
  default_for(application/x-kalvor1-permanence "${PREFIX}/share:/usr/share" ours)
  expect("xdg-mime opens a permanence with '${ours}'" ours STREQUAL "kalvor1.desktop")
  default_for(text/plain "${PREFIX}/share:/usr/share" withPrefix)
  default_for(text/plain "/usr/share" without)
  expect("the install made '${withPrefix}' the default for text/plain, not '${without}'" withPrefix STREQUAL without)
endif()

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

# The archive report beside the window, through its link too; both name their
# version alike.
execute_process(COMMAND "${PREFIX}/bin/kalvor1-report" --version RESULT_VARIABLE reportFailed OUTPUT_VARIABLE reportVersion)
expect("bin/kalvor1-report does not run: ${reportFailed}" reportFailed EQUAL 0)
execute_process(COMMAND "${link}" --version OUTPUT_VARIABLE version)
string(REGEX REPLACE "^kalvor1 " "kalvor1-report " version "${version}")
expect("the versions differ in form:\n${version}${reportVersion}" reportVersion STREQUAL version
       AND version MATCHES "^kalvor1-report \\(Kalvor 1\\) [0-9]+\\.[0-9]+\n")
file(REMOVE_RECURSE "${PREFIX}")
