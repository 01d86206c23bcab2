# Kelvo's icon as PNG pictures in the hicolor theme, rendered from our own SVG drawings at build
# time: 16 and 24 pixels from a drawing made for them (the full one blurs there), the rest from the
# full drawing.
find_program(RSVG_CONVERT_EXECUTABLE rsvg-convert)
if(NOT RSVG_CONVERT_EXECUTABLE)
  message(WARNING "rsvg-convert (librsvg2-bin) not found: only the scalable icon is installed")
  return()
endif()

set(icon_pngs)
foreach(side 16 24 32 48 64 128 256)
  if(side LESS 32)
    set(drawing ${PROJECT_SOURCE_DIR}/resources/glyphs/kelvo_small.svg)
  else()
    set(drawing ${PROJECT_SOURCE_DIR}/resources/glyphs/kelvo.svg)
  endif()
  set(png ${PROJECT_BINARY_DIR}/icons/hicolor/${side}x${side}/apps/kelvo.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons/hicolor/${side}x${side}/apps
    COMMAND ${RSVG_CONVERT_EXECUTABLE} --width=${side} --height=${side} --output=${png} ${drawing}
    DEPENDS ${drawing}
    VERBATIM)
  list(APPEND icon_pngs ${png})
endforeach()
add_custom_target(icons ALL DEPENDS ${icon_pngs})
install(DIRECTORY ${PROJECT_BINARY_DIR}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
