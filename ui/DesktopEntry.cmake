# Writes the desktop entry at install time, when the prefix given to cmake --install
# is known: it starts the installed executable by its full path, so the entry works
# whether or not the prefix's bin/ is on the PATH.
# Expects KALVOR_DESKTOP_IN and KALVOR_DESKTOP_OUT; CMAKE_INSTALL_PREFIX is cmake's.

set(exec "${CMAKE_INSTALL_PREFIX}/bin/kalvor1")
# A quoted Exec argument escapes \ " ` $ with a backslash, and the file's string
# syntax then doubles every backslash; % starts a field code unless doubled.
string(REPLACE "\\" "\\\\" exec "${exec}")
string(REPLACE "\"" "\\\"" exec "${exec}")
string(REPLACE "`" "\\`" exec "${exec}")
string(REPLACE "$" "\\$" exec "${exec}")
string(REPLACE "\\" "\\\\" exec "${exec}")
string(REPLACE "%" "%%" exec "${exec}")
set(KALVOR_EXEC "\"${exec}\"")
configure_file("${KALVOR_DESKTOP_IN}" "${KALVOR_DESKTOP_OUT}" @ONLY)
