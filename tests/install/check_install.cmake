# Run by the "install" test: installs BUILD_DIR into PREFIX with --strip and
# checks the installed layout, the question bank, the way the programs find
# their files through the symlinks, and one golden run of the installed runner.
cmake_minimum_required(VERSION 3.22)
include(${LAYOUT})  # APPDIR, BINDIR and DATADIR, relative to the prefix

function(fail what)
  message(FATAL_ERROR "install: ${what}")
endfunction()

function(expect_file path)
  if(NOT EXISTS ${PREFIX}/${path} OR IS_DIRECTORY ${PREFIX}/${path})
    fail("${path} is not installed")
  endif()
endfunction()

function(expect_same installed built)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${PREFIX}/${installed} ${built} RESULT_VARIABLE differ)
  if(differ)
    fail("${installed} differs from ${built}")
  endif()
endfunction()

# A command in bin/ must be a relative symlink to the executable beside its files.
function(expect_command_link name)
  set(link ${PREFIX}/${BINDIR}/${name})
  if(NOT IS_SYMLINK ${link})
    fail("${BINDIR}/${name} is not a symlink")
  endif()
  file(READ_SYMLINK ${link} target)
  if(IS_ABSOLUTE "${target}")
    fail("${BINDIR}/${name} points to an absolute path ${target}: the prefix could not move")
  endif()
  file(REAL_PATH ${link} resolved)
  file(REAL_PATH ${PREFIX}/${APPDIR}/${name} expected)
  if(NOT resolved STREQUAL expected)
    fail("${BINDIR}/${name} leads to ${resolved}, not ${expected}")
  endif()
endfunction()

file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX} --strip
  OUTPUT_VARIABLE out ERROR_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  fail("cmake --install failed (${rc}):\n${out}")
endif()

# ---- files and links -------------------------------------------------------------
foreach(path ${APPDIR}/ravx-run ${APPDIR}/ravx.zad ${APPDIR}/ravx.hlp ${DATADIR}/man/man1/ravx-run.1.gz
        ${DATADIR}/doc/ravx/copyright ${DATADIR}/doc/ravx/changelog.Debian.gz)
  expect_file(${path})
endforeach()
expect_same(${APPDIR}/ravx.zad ${BUILD_DIR}/ravx.zad)
expect_same(${APPDIR}/ravx.hlp ${BUILD_DIR}/ravx.hlp)
expect_command_link(ravx-run)

if(GUI)
  foreach(path ${APPDIR}/ravx ${DATADIR}/man/man1/ravx.1.gz ${DATADIR}/applications/ravx.desktop ${DATADIR}/icons/hicolor/scalable/apps/ravx.svg
          ${DATADIR}/icons/hicolor/256x256/apps/ravx.png)
    expect_file(${path})
  endforeach()
  expect_command_link(ravx)
  file(READ ${PREFIX}/${DATADIR}/applications/ravx.desktop entry)
  foreach(line "Exec=ravx %f\n" "Icon=ravx\n" "Type=Application\n" "Categories=Education;"
          "MimeType=application/x-ravx-program;application/x-ravx-firmware;\n")
    string(FIND "${entry}" "\n${line}" at)
    if(at EQUAL -1)
      fail("ravx.desktop has no line starting \"${line}\"")
    endif()
  endforeach()

  # ---- the file types: every type the entry declares is registered ---------------
  expect_file(${DATADIR}/mime/packages/ravx.xml)
  file(READ ${PREFIX}/${DATADIR}/mime/packages/ravx.xml types)
  foreach(text "<mime-type type=\"application/x-ravx-program\">" "<mime-type type=\"application/x-ravx-firmware\">"
          "<glob pattern=\"*.prg\"/>" "<glob pattern=\"*.dmp\"/>")
    string(FIND "${types}" "${text}" at)
    if(at EQUAL -1)
      fail("mime/packages/ravx.xml lacks ${text}")
    endif()
  endforeach()
  # the database built from it, as the package's trigger builds it, names the types
  find_program(UPDATE_MIME update-mime-database)
  if(UPDATE_MIME)
    execute_process(COMMAND ${UPDATE_MIME} ${PREFIX}/${DATADIR}/mime RESULT_VARIABLE rc ERROR_VARIABLE err)
    file(READ ${PREFIX}/${DATADIR}/mime/globs2 globs)
    if(NOT rc EQUAL 0 OR NOT globs MATCHES "application/x-ravx-program:\\*\\.prg"
       OR NOT globs MATCHES "application/x-ravx-firmware:\\*\\.dmp")
      fail("update-mime-database does not register the types (${rc}): ${err}")
    endif()
  endif()

  # ---- the question bank survives the strip ----------------------------------------
  execute_process(COMMAND ${READELF} -S ${PREFIX}/${APPDIR}/ravx OUTPUT_VARIABLE sections RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    fail("${READELF} cannot read the installed ravx")
  endif()
  if(sections MATCHES "\\.symtab")
    fail("the installed ravx was not stripped, so the strip was not tried")
  endif()
  execute_process(COMMAND ${BANKBUILD} ${QUESTIONS} OUTPUT_VARIABLE source_says RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR NOT source_says MATCHES ": ([0-9]+) ")
    fail("bankbuild cannot read ${QUESTIONS}: ${source_says}")
  endif()
  set(source_count ${CMAKE_MATCH_1})
  execute_process(COMMAND ${BANK_CHECK} ${PREFIX}/${APPDIR}/ravx
    OUTPUT_VARIABLE bank_count ERROR_VARIABLE err RESULT_VARIABLE rc OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT rc EQUAL 0)
    fail("the installed ravx carries no readable question bank: ${err}")
  endif()
  if(NOT bank_count EQUAL source_count)
    fail("the installed bank holds ${bank_count} questions, the source ${source_count}")
  endif()
endif()

# ---- started through its symlink, a program finds its files ----------------------
# The probe starts up as the application does; it is placed beside the
# installed files and started through a link in bin/ from another folder.
file(COPY_FILE ${PROBE} ${PREFIX}/${APPDIR}/ravx-probe)
file(RELATIVE_PATH probe_target ${PREFIX}/${BINDIR} ${PREFIX}/${APPDIR}/ravx-probe)
file(CREATE_LINK ${probe_target} ${PREFIX}/${BINDIR}/ravx-probe SYMBOLIC)
execute_process(COMMAND ${PREFIX}/${BINDIR}/ravx-probe WORKING_DIRECTORY ${PREFIX}
  OUTPUT_VARIABLE said ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  fail("the probe failed (${rc}): ${err}")
endif()
file(REAL_PATH ${PREFIX}/${APPDIR} appdir_real)
foreach(line "dir=${appdir_real}" "ravx.zad=found" "ravx.hlp=found")
  string(FIND "${said}" "${line}\n" at)
  if(at EQUAL -1)
    fail("started through ${BINDIR}/ravx-probe, expected \"${line}\", got:\n${said}")
  endif()
endforeach()

# ---- the installed runner, through its symlink, repeats a golden run ------------
set(RUNNER ${PREFIX}/${BINDIR}/ravx-run)
set(CASE_DIR ${GOLDEN_DIR})
set(OUT_DIR ${PREFIX}/golden-out)
include(${GOLDEN_SCRIPT})

# ---- the Debian package, by lintian's book (when lintian is installed) -------------
find_program(LINTIAN lintian)
if(LINTIAN AND GUI)
  set(package_dir ${PREFIX}/package)
  file(MAKE_DIRECTORY ${package_dir})
  execute_process(COMMAND ${CPACK} -G DEB -B ${package_dir} --config ${BUILD_DIR}/CPackConfig.cmake
    WORKING_DIRECTORY ${BUILD_DIR} OUTPUT_VARIABLE out ERROR_VARIABLE out RESULT_VARIABLE rc)
  file(GLOB package ${package_dir}/ravx_*.deb)
  if(NOT rc EQUAL 0 OR NOT package)
    fail("cpack made no package (${rc}):\n${out}")
  endif()
  execute_process(COMMAND ${LINTIAN} --tag-display-limit 0 ${package}
    OUTPUT_VARIABLE said ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(said MATCHES "(^|\n)[EW]: ")
    fail("lintian finds errors or warnings in ${package}:\n${said}${err}")
  endif()
  message(STATUS "lintian: no error, no warning in ${package}")
endif()
