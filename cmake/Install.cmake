# What a distribution package of Kelvo installs (cmake --install BUILD [--prefix PREFIX]).
include(GNUInstallDirs)

set(resources ${PROJECT_SOURCE_DIR}/resources)

if(UNIX AND NOT APPLE)
  # The about dialog opens license.txt beside the executable (the folder of the real file, with
  # links resolved): both live in a folder of their own, and the command is a link to the program.
  set(program_dir ${CMAKE_INSTALL_LIBEXECDIR}/kelvo)
  install(TARGETS kelvo RUNTIME DESTINATION ${program_dir})
  install(FILES ${resources}/license.txt DESTINATION ${program_dir})
  file(RELATIVE_PATH link_target /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${program_dir}/kelvo)
  install(CODE "
    set(bin_dir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(MAKE_DIRECTORY \"\${bin_dir}\")
    file(REMOVE \"\${bin_dir}/kelvo\")
    file(CREATE_LINK \"${link_target}\" \"\${bin_dir}/kelvo\" SYMBOLIC)
    message(STATUS \"Installing: \${bin_dir}/kelvo -> ${link_target}\")")

  # Desktop integration: lab work packages (*.lwz) open in Kelvo by double click.
  install(FILES ${resources}/kelvo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${resources}/kelvo-lwz.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
  install(FILES ${resources}/glyphs/kelvo.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES ${resources}/icons/application-x-kelvo-labwork.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/mimetypes)
else()
  install(TARGETS kelvo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${resources}/license.txt DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# The demo lab work, for teachers to try and to start their own from, with the notes for authors.
if(TARGET demo_package)
  install(FILES ${PROJECT_BINARY_DIR}/examples/demo.lwz ${PROJECT_SOURCE_DIR}/examples/demo/README.md
          DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
endif()
