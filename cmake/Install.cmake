# What a distribution package of Kelvo installs (cmake --install BUILD [--prefix PREFIX]).

set(resources ${PROJECT_SOURCE_DIR}/resources)
# Debian's name for the documentation folder, whatever the project's name is spelt like.
set(doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/kelvo)

if(UNIX AND NOT APPLE)
  set(program_dir ${KELVO_PROGRAM_INSTALL_DIR})
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
  configure_file(${resources}/kelvo.metainfo.xml ${PROJECT_BINARY_DIR}/org.kelvo.Kelvo.metainfo.xml @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/org.kelvo.Kelvo.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${resources}/glyphs/kelvo.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES ${resources}/icons/application-x-kelvo-labwork.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/mimetypes)
  include(${CMAKE_CURRENT_LIST_DIR}/Icons.cmake)

  # The manual page and Debian's changelog, compressed as Debian's policy asks.
  find_program(GZIP_EXECUTABLE gzip)
  configure_file(${resources}/kelvo.1.in ${PROJECT_BINARY_DIR}/man/kelvo.1 @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${PROJECT_BINARY_DIR}/doc/changelog @ONLY)
  if(GZIP_EXECUTABLE)
    set(compressed)
    foreach(file man/kelvo.1 doc/changelog)
      add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/${file}.gz
        COMMAND ${GZIP_EXECUTABLE} -9 -n -c ${PROJECT_BINARY_DIR}/${file} > ${PROJECT_BINARY_DIR}/${file}.gz
        DEPENDS ${PROJECT_BINARY_DIR}/${file})
      list(APPEND compressed ${PROJECT_BINARY_DIR}/${file}.gz)
    endforeach()
    add_custom_target(compressed_documents ALL DEPENDS ${compressed})
    install(FILES ${PROJECT_BINARY_DIR}/man/kelvo.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${PROJECT_BINARY_DIR}/doc/changelog.gz DESTINATION ${doc_dir})
  else()
    install(FILES ${PROJECT_BINARY_DIR}/man/kelvo.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
  include(${CMAKE_CURRENT_LIST_DIR}/DebianCopyright.cmake)
  install(FILES ${PROJECT_BINARY_DIR}/doc/copyright DESTINATION ${doc_dir})
else()
  install(TARGETS kelvo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${resources}/license.txt DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(TARGETS kelvo_engine_plugin LIBRARY DESTINATION ${KELVO_ENGINE_INSTALL_DIR})

# The demo lab work, for teachers to try and to start their own from, with the notes for authors.
if(TARGET demo_package)
  install(FILES ${PROJECT_BINARY_DIR}/examples/demo.lwz DESTINATION ${CMAKE_INSTALL_DATADIR}/kelvo)
  install(FILES ${PROJECT_SOURCE_DIR}/examples/demo/README.md DESTINATION ${doc_dir}/examples)
endif()

if(UNIX AND NOT APPLE)
  # Last: the desktop learns the new type and the program that opens it.
  install(CODE "set(KELVO_DATADIR \"${CMAKE_INSTALL_DATADIR}\")")
  install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/RefreshDesktop.cmake)
endif()
