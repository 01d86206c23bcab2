# Where the installed program and its web engine library live (cmake --install BUILD [--prefix PREFIX]).
include(GNUInstallDirs)

if(UNIX AND NOT APPLE)
  # The about dialog opens license.txt beside the executable (the folder of the real file, with
  # links resolved): both live in a folder of their own, and the command is a link to the program.
  set(KELVO_PROGRAM_INSTALL_DIR ${CMAKE_INSTALL_LIBEXECDIR}/kelvo)
else()
  set(KELVO_PROGRAM_INSTALL_DIR ${CMAKE_INSTALL_BINDIR})
endif()
# The viewer's engine side, loaded when the first document is shown, found relative to the program.
set(KELVO_ENGINE_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/kelvo)
file(RELATIVE_PATH KELVO_ENGINE_RELATIVE_DIR /prefix/${KELVO_PROGRAM_INSTALL_DIR} /prefix/${KELVO_ENGINE_INSTALL_DIR})
