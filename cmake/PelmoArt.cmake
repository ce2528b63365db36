# The banner, signature, cover and icon, generated from the text sources in resources/art. The
# banner carries the web page address, so it is drawn anew when the address changes.
set(PELMO_ART_DIR ${CMAKE_BINARY_DIR}/resources/art)
set(PELMO_ART_FILES ${PELMO_ART_DIR}/banner.bmp ${PELMO_ART_DIR}/signature.bmp
    ${PELMO_ART_DIR}/cover.bmp ${PELMO_ART_DIR}/icon.ico)
set(PELMO_BANNER_BMP ${PELMO_ART_DIR}/banner.bmp)
file(GLOB art_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/art/*.txt)
set(art_stamp ${CMAKE_BINARY_DIR}/resources/art.stamp)
add_custom_command(
  OUTPUT ${art_stamp} ${PELMO_ART_FILES}
  COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tools/art.py all ${PELMO_ART_DIR}
          ${PELMO_HOMEPAGE}
  COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tools/art.py check ${PELMO_ART_DIR}
  COMMAND ${CMAKE_COMMAND} -E touch ${art_stamp}
  DEPENDS ${art_sources} ${PROJECT_SOURCE_DIR}/tools/art.py ${PROJECT_SOURCE_DIR}/tools/common.py
  COMMENT "Drawing the banner, signature, cover and icon"
  VERBATIM)
add_custom_target(pelmo_art DEPENDS ${art_stamp})
