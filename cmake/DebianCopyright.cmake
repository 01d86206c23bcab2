# /usr/share/doc/kelvo/copyright in Debian's machine-readable format, made from license.txt: its first
# line names the program, its second holds the copyright, then comes the licence up to the list of
# components (which the package does not carry: it uses Debian's own Qt and libzip).
set(license_file ${PROJECT_SOURCE_DIR}/resources/license.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${license_file})
file(READ ${license_file} license)
string(REGEX MATCH "\nCopyright \\([cC]\\) ([^\n]*)\n\n" copyright_line "${license}")
set(holders "${CMAKE_MATCH_1}")
string(FIND "${license}" "${copyright_line}" start)
string(LENGTH "${copyright_line}" skip)
math(EXPR start "${start} + ${skip}")
string(SUBSTRING "${license}" ${start} -1 licence_text)
string(FIND "${licence_text}" "\nComponents used by" end)
string(SUBSTRING "${licence_text}" 0 ${end} licence_text)
string(STRIP "${licence_text}" licence_text)
string(REPLACE "\n\n" "\n.\n" licence_text "${licence_text}")
string(REPLACE "\n" "\n " licence_text "${licence_text}")
if(NOT holders OR licence_text STREQUAL "")
  message(FATAL_ERROR "${license_file}: no copyright line or licence text where expected")
endif()
file(WRITE ${PROJECT_BINARY_DIR}/doc/copyright.new
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Kelvo

Files: *
Copyright: ${holders}
License: Expat
 ${licence_text}
")
configure_file(${PROJECT_BINARY_DIR}/doc/copyright.new ${PROJECT_BINARY_DIR}/doc/copyright COPYONLY)
