# Makes the Debian package as docs/packaging.md says: the preset "package" (Release, no
# tests) in a build folder of its own, with GoogleTest and Google Benchmark out of
# reach, as on a machine that has only the build's packages; then cpack. Checks it
# with lintian, unpacks it into a scratch root and starts the unpacked programs:
# The package is the suite's one optimised build, so its report is compared with
# the tested build's report (REPORT) on the examples.
#   cmake -DSOURCE_DIR=... -DBUILD_DIR=... -DWORK_DIR=... -DVERSION=... -DREPORT=...
#         [-DLAUNCHER=ccache] -P PackageTest.cmake
# Needs cpack, dpkg-shlibdeps (dpkg-dev) and lintian (scripts/setup.sh --test).

function(expect what)
  if(NOT (${ARGN}))
    message(SEND_ERROR "${what}")
  endif()
endfunction()

file(REMOVE_RECURSE "${WORK_DIR}")
set(configure "${CMAKE_COMMAND}" -S "${SOURCE_DIR}" --preset package -B "${BUILD_DIR}"
    -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON)
if(LAUNCHER)
  list(APPEND configure "-DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER}")
endif()
execute_process(COMMAND ${configure} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the preset \"package\" does not configure (${result}):\n${out}")
endif()
cmake_host_system_information(RESULT jobs QUERY NUMBER_OF_LOGICAL_CORES)
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${BUILD_DIR}" --parallel ${jobs} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the preset \"package\" does not build (${result}):\n${out}")
endif()
expect("the package build made the tests" NOT IS_DIRECTORY "${BUILD_DIR}/tests")

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

# What xdg-open needs outside a desktop environment to open a permanence with the program.
execute_process(COMMAND dpkg-deb --field "${deb}" Recommends OUTPUT_VARIABLE recommends)
expect("the package does not recommend libfile-mimeinfo-perl: ${recommends}" recommends MATCHES
       "(^|, )libfile-mimeinfo-perl( |,|\n)")

# No error and no warning; the informational tags are in docs/packaging.md.
execute_process(COMMAND lintian --fail-on error,warning "${deb}"
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
expect("lintian (${result}):\n${out}${err}" result EQUAL 0)

set(root "${WORK_DIR}/root")
execute_process(COMMAND dpkg -x "${deb}" "${root}" RESULT_VARIABLE result)
expect("dpkg -x failed" result EQUAL 0)
# The plain path: xdg-open without a desktop takes a quoted program for its name.
file(STRINGS "${root}/usr/share/applications/kalvor1.desktop" exec REGEX "^Exec=")
expect("the desktop entry starts ${exec}" exec STREQUAL "Exec=/usr/bin/kalvor1 %f")
foreach(file usr/share/mime/packages/kalvor1.xml usr/share/metainfo/org.example.kalvor1.metainfo.xml)
  expect("the package has no ${file}" EXISTS "${root}/${file}")
endforeach()
file(GLOB examples RELATIVE "${SOURCE_DIR}/examples" "${SOURCE_DIR}/examples/*.txt")
list(LENGTH examples count)
expect("${count} example permanences in the repository" count EQUAL 3)
foreach(example ${examples})
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${SOURCE_DIR}/examples/${example}"
                          "${root}/usr/share/doc/kalvor1/examples/${example}" RESULT_VARIABLE differs)
  expect("the package's example ${example} is not the repository's" differs EQUAL 0)
endforeach()

execute_process(COMMAND "${root}/usr/bin/kalvor1" --help RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
expect("the unpacked kalvor1 --help ended with ${result}: ${err}" result EQUAL 0)
expect("the unpacked program does not find its info file:\n${out}"
       out MATCHES "\nInfo-Text: ${root}/usr/lib/kalvor1/info_kalvor1.txt \\(gefunden\\)\n$")
# The archive report comes with the package, with its manual page.
execute_process(COMMAND "${root}/usr/bin/kalvor1-report" --version RESULT_VARIABLE result OUTPUT_VARIABLE out)
expect("the unpacked kalvor1-report --version ended with ${result}" result EQUAL 0 AND out MATCHES "^kalvor1-report ")
expect("the package has no manual page of kalvor1-report" EXISTS "${root}/usr/share/man/man1/kalvor1-report.1.gz")

# Built with the optimiser and without the sanitizers, the report replays the
# examples to the same table, fair-wheel figures and all, as the tested build.
# The table holds semicolons, so each stays in a variable of its own, not in a list.
set(packaged_program "${root}/usr/bin/kalvor1-report")
set(tested_program "${REPORT}")
foreach(which packaged tested)
  execute_process(COMMAND "${${which}_program}" -j 1 "${SOURCE_DIR}/examples" RESULT_VARIABLE result
                  OUTPUT_VARIABLE ${which} ERROR_VARIABLE err)
  expect("the ${which} report on the examples ended with ${result}: ${err}" result EQUAL 0)
endforeach()
expect("the packaged report writes\n${packaged}\nthe tested one\n${tested}" packaged STREQUAL tested)
string(REGEX MATCHALL "\n" lines "${tested}")
list(LENGTH lines count)
expect("the report wrote ${count} lines for three examples" count EQUAL 4)
file(REMOVE_RECURSE "${WORK_DIR}")
