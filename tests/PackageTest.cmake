# Makes the Debian package as the README says, checks it with lintian, unpacks it
# into a scratch root and starts the unpacked program:
#   cmake -DBUILD_DIR=... -DWORK_DIR=... -DVERSION=... -P PackageTest.cmake
# Needs cpack, dpkg-shlibdeps (dpkg-dev) and lintian (scripts/setup.sh --test).

function(expect what)
  if(NOT (${ARGN}))
    message(SEND_ERROR "${what}")
  endif()
endfunction()

file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(COMMAND cpack -G DEB --config "${BUILD_DIR}/CPackConfig.cmake" -B "${WORK_DIR}"
                WORKING_DIRECTORY "${BUILD_DIR}" RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE arch OUTPUT_STRIP_TRAILING_WHITESPACE)
set(deb "${WORK_DIR}/kalvor1_${VERSION}_${arch}.deb")
if(NOT result EQUAL 0 OR NOT EXISTS "${deb}")
  message(FATAL_ERROR "cpack made no ${deb} (${result}):\n${out}")
endif()

# dpkg-shlibdeps found the libraries; the translations and the font are named.
execute_process(COMMAND dpkg-deb --field "${deb}" Depends OUTPUT_VARIABLE depends)
foreach(package qt6-translations-l10n fonts-liberation2 libqt6widgets6 libqt6printsupport6 libstdc\\+\\+6)
  expect("the package does not depend on ${package}: ${depends}" depends MATCHES "(^|, )${package}( |,|\n)")
endforeach()

# No error and no warning; the informational tags are in the README.
execute_process(COMMAND lintian --fail-on error,warning "${deb}"
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
expect("lintian (${result}):\n${out}${err}" result EQUAL 0)

set(root "${WORK_DIR}/root")
execute_process(COMMAND dpkg -x "${deb}" "${root}" RESULT_VARIABLE result)
expect("dpkg -x failed" result EQUAL 0)
file(STRINGS "${root}/usr/share/applications/kalvor1.desktop" exec REGEX "^Exec=")
expect("the desktop entry starts ${exec}" exec STREQUAL "Exec=\"/usr/bin/kalvor1\" %f")
execute_process(COMMAND "${root}/usr/bin/kalvor1" --help RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
expect("the unpacked kalvor1 --help ended with ${result}: ${err}" result EQUAL 0)
expect("the unpacked program does not find its info file:\n${out}"
       out MATCHES "\nInfo-Text: ${root}/usr/lib/kalvor1/info_kalvor1.txt \\(gefunden\\)\n$")
# The archive report comes with the package, with its manual page.
execute_process(COMMAND "${root}/usr/bin/kalvor1-report" --version RESULT_VARIABLE result OUTPUT_VARIABLE out)
expect("the unpacked kalvor1-report --version ended with ${result}" result EQUAL 0 AND out MATCHES "^kalvor1-report ")
expect("the package has no manual page of kalvor1-report" EXISTS "${root}/usr/share/man/man1/kalvor1-report.1.gz")
file(REMOVE_RECURSE "${WORK_DIR}")
