# Installation of the client as a Linux desktop program and its Debian package (CPack DEB,
# scripts/package): the files of a desktop program (menu entry, icon, AppStream metainfo, manual
# pages), the template of the machine key and the debconf set-up that writes it. Every rule belongs
# to the component "client"; the package holds that component only, so nothing of the test server
# or the demo can slip into it. Included after every target exists.
include(GNUInstallDirs)

# The package's version comes from the version text the client reports,
# "1.5.1 (Build 1051) CH-FR": version and build number, "1.5.1.1051".
file(STRINGS ${PROJECT_SOURCE_DIR}/src/app/core/AppInfo.h bv_version_line REGEX "VersionText = ")
if(NOT bv_version_line MATCHES "\"(([0-9]+(\\.[0-9]+)*) \\(Build ([0-9]+)\\)[^\"]*)\"")
  message(FATAL_ERROR "src/app/core/AppInfo.h holds no version text of the form \"1.5.1 (Build 1051) CH-FR\"")
endif()
set(BV_VERSION_TEXT ${CMAKE_MATCH_1})
set(BV_CLIENT_VERSION ${CMAKE_MATCH_2})
set(BV_PACKAGE_VERSION ${CMAKE_MATCH_2}.${CMAKE_MATCH_4})
# Release date of this version (AppStream, manual pages, package changelog).
set(BV_RELEASE_DATE 2026-12-08)
set(BV_RELEASE_DATE_RFC2822 "Tue, 08 Dec 2026 12:00:00 +0100")

# Deployment values of the machine key. The addresses are placeholders until the billing centre
# names its own; the login address is asked at installation with this one as the default.
set(BV_DEFAULT_LOGIN_URL "https://login.brevalis.ch/bvals_cl/login" CACHE STRING
    "Billing centre's login address proposed at installation")
set(BV_DEFAULT_BACKUP_URL "https://backup.brevalis.ch/bvals_cl/login" CACHE STRING
    "Billing centre's backup login address written into the machine key")
set(BV_HOMEPAGE "https://www.brevalis.ch/")
# Spool, scan and attachment directories the machine key proposes, shared by the practice's users.
set(BV_SHARED_ROOT /var/spool/brevalis)
set(BV_SPOOL_DIRECTORY ${BV_SHARED_ROOT}/abrechnung)
set(BV_SCAN_DIRECTORY ${BV_SHARED_ROOT}/scan)
set(BV_ATTACHMENT_DIRECTORY ${BV_SHARED_ROOT}/anlagen)
set(BV_SHARED_DIRECTORIES "${BV_SPOOL_DIRECTORY} ${BV_SCAN_DIRECTORY} ${BV_ATTACHMENT_DIRECTORY}")

# The package installs below /usr whatever CMAKE_INSTALL_PREFIX a local installation uses; the
# paths that the package's own files name are built from this prefix.
set(BV_PACKAGE_PREFIX /usr)
set(bv_datadir ${CMAKE_INSTALL_DATADIR})
set(bv_docdir ${bv_datadir}/doc/brevalis-client)
set(BV_TEMPLATE_PATH ${BV_PACKAGE_PREFIX}/${bv_datadir}/brevalis-client/machine.reg)
set(bv_desktop_id ch.brevalis.client)
set(bv_source ${PROJECT_SOURCE_DIR}/packaging)
set(bv_out ${PROJECT_BINARY_DIR}/packaging)

# The external TIFF splitter is installed when the project builds it, and only then does the
# machine key name it ("SplitTiffPath" of the invoice-printing key).
set(BV_TIFF_SPLITTER_TARGET bvtiffsplit CACHE STRING "Target of the TIFF splitter program")
set(BV_SPLITTER_KEY "")
# The programs of the package, built by scripts/package without the tests.
add_custom_target(bv_package_programs)
foreach(program bvals_cl bvlsreg ${BV_TIFF_SPLITTER_TARGET})
  if(TARGET ${program})
    add_dependencies(bv_package_programs ${program})
  endif()
endforeach()
if(TARGET ${BV_TIFF_SPLITTER_TARGET})
  install(TARGETS ${BV_TIFF_SPLITTER_TARGET} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT client)
  set(BV_SPLITTER_KEY "\n[HKEY_LOCAL_MACHINE\\Software\\Brevalis\\Rechnungsdruck]\n\"SplitTiffPath\"=\"${BV_PACKAGE_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:${BV_TIFF_SPLITTER_TARGET}>\"")
endif()

# Machine-key template and the package's documentation.
configure_file(${bv_source}/machine.reg.in ${bv_out}/machine.reg.in.configured @ONLY)
file(GENERATE OUTPUT ${bv_out}/machine.reg INPUT ${bv_out}/machine.reg.in.configured)
install(FILES ${bv_out}/machine.reg DESTINATION ${bv_datadir}/brevalis-client COMPONENT client)
configure_file(${bv_source}/debian/changelog.in ${bv_out}/changelog @ONLY)
execute_process(COMMAND gzip -9nf ${bv_out}/changelog COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${bv_source}/debian/copyright ${bv_out}/changelog.gz DESTINATION ${bv_docdir} COMPONENT client)

# Menu entry, icon set, AppStream metainfo.
install(FILES ${bv_source}/${bv_desktop_id}.desktop DESTINATION ${bv_datadir}/applications COMPONENT client)
install(FILES ${bv_source}/icons/${bv_desktop_id}.svg DESTINATION ${bv_datadir}/icons/hicolor/scalable/apps
        COMPONENT client)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${bv_source}/icons/${size}x${size}/${bv_desktop_id}.png
          DESTINATION ${bv_datadir}/icons/hicolor/${size}x${size}/apps COMPONENT client)
endforeach()
configure_file(${bv_source}/${bv_desktop_id}.metainfo.xml.in ${bv_out}/${bv_desktop_id}.metainfo.xml @ONLY)
install(FILES ${bv_out}/${bv_desktop_id}.metainfo.xml DESTINATION ${bv_datadir}/metainfo COMPONENT client)

# Manual pages, compressed as Debian installs them; configure_file makes CMake run again when a page
# changes.
set(bv_manual_pages bvals_cl bvlsreg)
if(TARGET ${BV_TIFF_SPLITTER_TARGET})
  list(APPEND bv_manual_pages bvtiffsplit)
endif()
foreach(page ${bv_manual_pages})
  configure_file(${bv_source}/man/${page}.1 ${bv_out}/${page}.1 @ONLY)
  execute_process(COMMAND gzip -9nkf ${bv_out}/${page}.1 COMMAND_ERROR_IS_FATAL ANY)
  install(FILES ${bv_out}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT client)
endforeach()

# debconf: the question for the billing centre's address and the scripts that write the machine
# key; config and postinst share the functions that read and check the key.
file(READ ${bv_source}/debian/machine-key.sh bv_machine_key_functions)
string(CONFIGURE "${bv_machine_key_functions}" BV_MACHINE_KEY_FUNCTIONS @ONLY)
foreach(script config postinst postrm templates)
  configure_file(${bv_source}/debian/${script}.in ${bv_out}/debian/${script} @ONLY)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brevalis-client)
set(CPACK_PACKAGE_VERSION ${BV_PACKAGE_VERSION})
set(CPACK_PACKAGE_VENDOR brevalis)
set(CPACK_PACKAGE_CONTACT "brevalis <support@brevalis.ch>")
set(CPACK_PACKAGING_INSTALL_PREFIX ${BV_PACKAGE_PREFIX})
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};client;/")
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "billing client for health professionals (Swiss French edition)
The desktop client of the brevalis billing service. Practice software leaves
billing files in a spool directory; the client checks them, packs the XML
invoices into one dispatch package and transmits it to the billing centre after
a login. Between transmissions it shows the billing centre's web application.
.
The package sets up the machine key /etc/brevalis/machine.reg with the billing
centre's address and includes the configuration tool bvlsreg for practice
software.")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${BV_HOMEPAGE})
# The shared libraries give the dependencies (the web engine's among them its helper process); the
# client needs besides debconf for the set-up and the toolkit's translations.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "debconf (>= 0.5) | debconf-2.0, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${bv_out}/debian/config ${bv_out}/debian/templates ${bv_out}/debian/postinst ${bv_out}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
