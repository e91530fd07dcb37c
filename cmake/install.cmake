# Installation and the Debian package. Included at the end of the root
# CMakeLists.txt, once every target exists.
#
# The application makes its executable's folder the current directory and
# reads "ravx.zad" and "ravx.hlp" there, so the executables and the two files
# share one folder (RAVX_INSTALL_APPDIR); the commands in bin/ are symlinks
# into it. Qt resolves the symlink when it reports the executable's folder.
#
#   cmake --install build --prefix /usr/local [--strip]
#   cd build && cpack            # ravx_<version>_<arch>.deb
include(GNUInstallDirs)

set(RAVX_INSTALL_APPDIR "lib/ravx" CACHE STRING "Folder, under the prefix, of the executables and their files")
# A laboratory that builds its own package puts its own address here.
set(ravx_default_maintainer "RAVX maintainers <maintainers@ravx.example.org>")
set(RAVX_PACKAGE_MAINTAINER "${ravx_default_maintainer}" CACHE STRING "Maintainer field of the Debian package")
if(RAVX_PACKAGE_MAINTAINER MATCHES "<root@localhost>")  # the old default, left in a build's cache
  set(RAVX_PACKAGE_MAINTAINER "${ravx_default_maintainer}" CACHE STRING "Maintainer field of the Debian package" FORCE)
endif()

set(ravx_resources ${CMAKE_CURRENT_LIST_DIR}/../resources)
get_filename_component(ravx_resources ${ravx_resources} ABSOLUTE)

# The layout as the install test checks it (the tests are configured before
# this file is read, so they find it here at test time).
file(WRITE ${CMAKE_BINARY_DIR}/install-layout.cmake
     "set(APPDIR \"${RAVX_INSTALL_APPDIR}\")\nset(BINDIR \"${CMAKE_INSTALL_BINDIR}\")\n"
     "set(DATADIR \"${CMAKE_INSTALL_DATADIR}\")\n")

# ---- the executables and their files ------------------------------------------
set(ravx_commands ravx-run)
if(TARGET ravx)
  list(PREPEND ravx_commands ravx)
endif()
install(TARGETS ${ravx_commands} RUNTIME DESTINATION ${RAVX_INSTALL_APPDIR})
install(FILES ${RAVX_TASK_FILE} ${RAVX_HELP_FILE} DESTINATION ${RAVX_INSTALL_APPDIR})

# Any strip (cmake --install --strip, CPACK_STRIP_FILES) runs inside the rule
# above and drops the question bank the build appended; so the bank is
# appended again to the installed file, after the strip. bankbuild replaces a
# bank already there, so an unstripped install still carries exactly one.
if(TARGET ravx)
  install(CODE "
    set(ravx_installed \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${RAVX_INSTALL_APPDIR}/ravx\")
    execute_process(
      COMMAND \"$<TARGET_FILE:bankbuild>\" \"${RAVX_QUESTION_SOURCE}\" --append \"\${ravx_installed}\"
      RESULT_VARIABLE ravx_bank_rc OUTPUT_QUIET)
    if(NOT ravx_bank_rc EQUAL 0)
      message(FATAL_ERROR \"Appending the question bank to \${ravx_installed} failed (\${ravx_bank_rc})\")
    endif()
    message(STATUS \"Question bank: \${ravx_installed}\")
  ")
endif()

# The symlinks are made in the build tree and installed as links, so they
# enter the install manifest and the package like any other file.
file(RELATIVE_PATH ravx_link_target /${CMAKE_INSTALL_BINDIR} /${RAVX_INSTALL_APPDIR})
set(ravx_link_dir ${CMAKE_BINARY_DIR}/install-links)
file(MAKE_DIRECTORY ${ravx_link_dir})
foreach(command IN LISTS ravx_commands)
  file(CREATE_LINK ${ravx_link_target}/${command} ${ravx_link_dir}/${command} SYMBOLIC)
  install(FILES ${ravx_link_dir}/${command} DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()

# ---- the desktop menu ----------------------------------------------------------
if(TARGET ravx)
  install(FILES ${ravx_resources}/desktop/ravx.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  # the file types of the desktop entry; the package's triggers update the
  # MIME and desktop databases
  install(FILES ${ravx_resources}/desktop/ravx-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
          RENAME ravx.xml)
  install(FILES ${ravx_resources}/icons/ravx.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES ${ravx_resources}/icons/ravx.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
endif()

# ---- manual pages, licence, changelog -----------------------------------------------
# Compressed as Debian wants them: gzip -9, no name or time stamp in the
# header, so the package is the same on every build.
set(ravx_doc_dir ${CMAKE_BINARY_DIR}/doc)
file(MAKE_DIRECTORY ${ravx_doc_dir})
set(ravx_gzipped)
foreach(pair "${ravx_resources}/man/ravx-run.1=ravx-run.1.gz" "${ravx_resources}/man/ravx.1=ravx.1.gz"
             "${CMAKE_CURRENT_LIST_DIR}/deb/changelog=changelog.Debian.gz")
  string(REPLACE "=" ";" pair "${pair}")
  list(GET pair 0 source)
  list(GET pair 1 target)
  add_custom_command(OUTPUT ${ravx_doc_dir}/${target}
    COMMAND gzip -9nc ${source} > ${ravx_doc_dir}/${target}
    DEPENDS ${source} VERBATIM)
  list(APPEND ravx_gzipped ${ravx_doc_dir}/${target})
endforeach()
add_custom_target(ravx_docs ALL DEPENDS ${ravx_gzipped})
install(FILES ${ravx_doc_dir}/ravx-run.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
if(TARGET ravx)
  install(FILES ${ravx_doc_dir}/ravx.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(FILES ${ravx_doc_dir}/changelog.Debian.gz ${CMAKE_CURRENT_LIST_DIR}/deb/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/deb/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME ravx)

# ---- the results store's folder ------------------------------------------------
# /var/lib/ravx lies outside the prefix and is machine-wide, so a plain install
# makes it only when asked (as root: -DRAVX_MAKE_RESULTS_DIR=ON), with the
# package's own script so both end up alike. Never into a DESTDIR staging tree.
option(RAVX_MAKE_RESULTS_DIR "Make /var/lib/ravx, writable by every user, on cmake --install" OFF)
if(RAVX_MAKE_RESULTS_DIR)
  install(CODE "
    if(\"\$ENV{DESTDIR}\" STREQUAL \"\")
      execute_process(COMMAND sh \"${CMAKE_CURRENT_LIST_DIR}/deb/postinst\" configure RESULT_VARIABLE ravx_store_rc)
      if(NOT ravx_store_rc EQUAL 0)
        message(FATAL_ERROR \"Making /var/lib/ravx failed (\${ravx_store_rc}); install as root\")
      endif()
      message(STATUS \"Results store: /var/lib/ravx\")
    endif()
  ")
endif()

# ---- the Debian package --------------------------------------------------------
# The results store's folder /var/lib/ravx is made by the package's postinst
# (it lies outside the prefix and must be writable by every user of the lab);
# removing the package keeps it, purging deletes it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ravx)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)  # as in deb/changelog
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_LIST_DIR}/../LICENSE)
set(CPACK_PACKAGE_CONTACT "${RAVX_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ПККИ RAVX: тренажёр лаборатории микропроцессорной техники")
set(CPACK_PACKAGE_DESCRIPTION "\
Студент записывает программу на x86-подобном ассемблере в таблицу,\n\
по одной команде в строке, и выполняет её по шагам или непрерывно.\n\
Программа управляет программируемым контроллером клавиатуры и индикации\n\
(управляющие слова, FIFO, ОЗУ индикации, матрица клавиш 8x8,\n\
семисегментные индикаторы); все регистры, выводы и память видны во время\n\
работы. В комплекте входной тест, 22 учебных задания, справка и\n\
консольная программа ravx-run для проверки программ без окон.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# shlibdeps finds the Qt libraries; the rest are loaded at run time: the
# window system plugin, the Russian standard buttons and the fonts the
# windows ask for by name.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-dejavu-core, fonts-liberation2")
# Qt's PostgreSQL driver, for a lab that keeps its results on a server
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6sql6-psql")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/deb/postinst ${CMAKE_CURRENT_LIST_DIR}/deb/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
