# pelmo-deck for Debian and its kin: `make package` (scripts/package) runs CPack on the native
# build. The manual page is the README's pelmo-deck section (tools/manpage.py).
set(PELMO_MANUAL ${CMAKE_BINARY_DIR}/pelmo-deck.1.gz)
# Always run, so the page's date follows SOURCE_DATE_EPOCH; written only when it changes.
add_custom_target(pelmo-deck-manual ALL
  COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tools/manpage.py page
          ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_VERSION} ${PELMO_MANUAL}
  BYPRODUCTS ${PELMO_MANUAL}
  COMMENT "Writing the manual page of pelmo-deck"
  VERBATIM)

install(TARGETS pelmo-deck RUNTIME DESTINATION bin)
install(FILES ${PELMO_MANUAL} DESTINATION share/man/man1)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION share/doc/pelmo-deck RENAME copyright)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pelmo-deck)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "check, convert and publish vocabulary decks for pelmo")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "pelmo-deck reads the word lists of pelmo, a vocabulary flash-card viewer for Windows,\n\
exactly as pelmo does. It reports what a learner would see wrong, converts\n\
pronunciations between pelmo's notation and IPA, draws them with pelmo's glyphs,\n\
converts decks to and from spreadsheet CSV, and writes a deck as one web page for\n\
any browser, a phone's included.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The pelmo developers <pelmo@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PELMO_HOMEPAGE})
# The libraries it needs, as dpkg-shlibdeps finds them in the program itself.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
