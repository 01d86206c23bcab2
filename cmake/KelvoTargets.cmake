# Compile settings shared by every target of the project.
add_library(kelvo_options INTERFACE)
target_compile_definitions(kelvo_options INTERFACE
  QT_NO_CAST_TO_ASCII
  QT_RESTRICTED_CAST_FROM_ASCII
  QT_NO_URL_CAST_FROM_STRING
  QT_USE_QSTRINGBUILDER
  QT_NO_FOREACH
  KELVO_VERSION="${PROJECT_VERSION}")
target_compile_options(kelvo_options INTERFACE
  -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Woverloaded-virtual -Wimplicit-fallthrough)
if(KELVO_WERROR)
  target_compile_options(kelvo_options INTERFACE -Werror)
endif()
if(KELVO_SANITIZE)
  target_compile_options(kelvo_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(kelvo_options INTERFACE -fsanitize=address,undefined)
endif()

# kelvo_add_library(NAME LINKS deps... [PRIVATE deps...]): one static library for the sources of a
# folder. LINKS are what its headers need as well; PRIVATE what only its sources use.
function(kelvo_add_library name)
  cmake_parse_arguments(ARG "" "" "LINKS;PRIVATE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LINKS} PRIVATE ${ARG_PRIVATE} kelvo_options)
endfunction()
