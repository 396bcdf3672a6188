# Writes and installs the desktop entry at install time, when the prefix given to
# cmake --install is known: it starts the installed executable by its full path, so
# the entry works whether or not the prefix's bin/ is on the PATH.
# Expects KALVOR_DESKTOP_IN and KALVOR_DESKTOP_WORK (a scratch directory of the
# build); CMAKE_INSTALL_PREFIX is cmake's.

set(exec "${CMAKE_INSTALL_PREFIX}/bin/kalvor1")
# Quoted only where the path needs it: launchers that split the line themselves
# (xdg-open without a desktop) take a quoted program for its name, quotes and all.
# A quoted argument escapes \ " ` $ with a backslash, and the file's string syntax
# then doubles every backslash; % starts a field code unless doubled, quoted or not.
if(exec MATCHES "[ \t\n\"'\\><~|&;$*?#()`]")
  string(REPLACE "\\" "\\\\" exec "${exec}")
  string(REPLACE "\"" "\\\"" exec "${exec}")
  string(REPLACE "`" "\\`" exec "${exec}")
  string(REPLACE "$" "\\$" exec "${exec}")
  string(REPLACE "\\" "\\\\" exec "${exec}")
  string(REPLACE "\t" "\\t" exec "${exec}")
  string(REPLACE "\n" "\\n" exec "${exec}")
  set(exec "\"${exec}\"")
endif()
string(REPLACE "%" "%%" KALVOR_EXEC "${exec}")
# One scratch file per destination: installs into two prefixes at once (the install
# test and the package test) do not overwrite each other's entry.
string(MD5 destination "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
configure_file("${KALVOR_DESKTOP_IN}" "${KALVOR_DESKTOP_WORK}/${destination}/kalvor1.desktop" @ONLY)
file(INSTALL "${KALVOR_DESKTOP_WORK}/${destination}/kalvor1.desktop"
     DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications"
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
