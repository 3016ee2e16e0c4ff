# Installation of the program's data (help pages, examples, desktop entry, icons) and the Debian
# package built from the same installation by `cpack -G DEB`.
#
# The programs look for their data under the prefix they were configured with, so the package
# installs under that same prefix: configure with -DCMAKE_INSTALL_PREFIX=/usr for a package that
# follows Debian's layout (tools/test does).

set(FISKON_RESOURCES ${PROJECT_SOURCE_DIR}/resources)

install(DIRECTORY ${FISKON_RESOURCES}/help/
  DESTINATION ${CMAKE_INSTALL_DATADIR}/fiskon/help
  FILES_MATCHING PATTERN "*.html" PATTERN "*.css")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/
  DESTINATION ${CMAKE_INSTALL_DATADIR}/fiskon/examples)
install(FILES ${FISKON_RESOURCES}/fiskon.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY ${FISKON_RESOURCES}/icons/hicolor/
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${FISKON_RESOURCES}/icons/fiskon.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Registers and payer files are types of their own (sub-classes of text/plain, known by their
# first section), which the desktop entry claims; plain text stays the text editor's.
install(FILES ${FISKON_RESOURCES}/mime/fiskon.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${FISKON_RESOURCES}/example.fiskon.Fiskon.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages (English in man1, Polish in pl/man1) and the changelog, compressed as Debian
# keeps them: gzip -9 -n, so that the same text gives the same bytes.
set(FISKON_COMPRESSED ${PROJECT_BINARY_DIR}/compressed)
set(FISKON_COMPRESSED_FILES)
function(fiskon_compress source target)
  add_custom_command(OUTPUT ${FISKON_COMPRESSED}/${target}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${FISKON_COMPRESSED}/pl
    COMMAND sh -c "gzip -9 -n -c \"$0\" > \"$1\"" ${source} ${FISKON_COMPRESSED}/${target}
    DEPENDS ${source} VERBATIM)
  set(FISKON_COMPRESSED_FILES ${FISKON_COMPRESSED_FILES} ${FISKON_COMPRESSED}/${target} PARENT_SCOPE)
endfunction()
fiskon_compress(${FISKON_RESOURCES}/man/fiskon.1 fiskon.1.gz)
fiskon_compress(${FISKON_RESOURCES}/man/fiskon-cli.1 fiskon-cli.1.gz)
fiskon_compress(${FISKON_RESOURCES}/man/pl/fiskon.1 pl/fiskon.1.gz)
fiskon_compress(${FISKON_RESOURCES}/man/pl/fiskon-cli.1 pl/fiskon-cli.1.gz)
fiskon_compress(${FISKON_RESOURCES}/debian/changelog changelog.gz)
add_custom_target(fiskon_compressed_files ALL DEPENDS ${FISKON_COMPRESSED_FILES})
install(FILES ${FISKON_COMPRESSED}/fiskon.1.gz ${FISKON_COMPRESSED}/fiskon-cli.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${FISKON_COMPRESSED}/pl/fiskon.1.gz ${FISKON_COMPRESSED}/pl/fiskon-cli.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/pl/man1)
install(FILES ${FISKON_RESOURCES}/debian/copyright ${FISKON_COMPRESSED}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The system-wide "win.ini": where the forms program (formvel, velsrv) is installed.
set(FISKON_FORMS_FOLDER ${CMAKE_INSTALL_FULL_LIBEXECDIR}/fiskon)
configure_file(${FISKON_RESOURCES}/win.ini.in ${PROJECT_BINARY_DIR}/win.ini @ONLY)
# The forms program's own desktop entry (not in menus), which its windows name.
configure_file(${FISKON_RESOURCES}/fiskon-formvel.desktop.in ${PROJECT_BINARY_DIR}/fiskon-formvel.desktop @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/fiskon-formvel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
set(FISKON_WININI_FOLDER ${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/fiskon)
install(FILES ${PROJECT_BINARY_DIR}/win.ini DESTINATION ${FISKON_WININI_FOLDER})
file(WRITE ${PROJECT_BINARY_DIR}/debian/conffiles "${FISKON_WININI_FOLDER}/win.ini\n")

if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  message(STATUS "Fiskon: install prefix ${CMAKE_INSTALL_PREFIX}; a Debian package wants -DCMAKE_INSTALL_PREFIX=/usr")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fiskon)
set(CPACK_PACKAGE_VENDOR "Fiskon")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Zespół Fiskon <pomoc@fiskon.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "PIT-11/8B and PIT-40 forms for employers / wypełnianie PIT-11/8B i PIT-40")

set(CPACK_DEBIAN_PACKAGE_NAME fiskon)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Zespół Fiskon <pomoc@fiskon.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://fiskon.example/")
# Libraries (Qt, libmdb for the database reader) come from the binaries themselves.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own texts (file and colour dialogs, standard buttons) in Polish.
# The forms are drawn in DejaVu Sans, which the forms program loads from the system's fonts.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, fonts-dejavu-core")
set(CPACK_STRIP_FILES ON)
# The help pages and the support e-mail address open in the desktop's browser and mail program;
# the file dialogs are the desktop's own where Qt has a platform theme for it (GTK desktops, the
# desktop portal), Qt's own dialog elsewhere.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-gtk-platformtheme, qt6-xdgdesktopportal-platformtheme")
# The summary is the first line of the package description; CPack indents the rest and marks
# its empty line as a paragraph break itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Fiskon keeps a register of employees (taxpayers) and of the employer (the
contribution payer), imports them from the database of the ZUS program
Płatnik or from delimited text, and computes the amounts of the Polish
annual tax information PIT-11/8B and tax return PIT-40, including the tax
by the tax scale. Data are saved as INI text files in code page 1250.
The desktop program `fiskon` has a Polish user interface; `fiskon-cli`
does the same data work from the command line.

Fiskon prowadzi rejestr pracowników (podatników) i płatnika składek,
importuje dane z bazy Programu Płatnika (ZUS) lub z plików tekstowych
z separatorem, a formularz edycji wylicza kwoty informacji PIT-11/8B
i zeznania PIT-40 wraz z podatkiem według skali. Dane zapisuje w plikach
tekstowych INI w stronie kodowej Windows-1250.")

# The system-wide profile is a configuration file: an administrator's changes survive upgrades.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/debian/conffiles)

include(CPack)
