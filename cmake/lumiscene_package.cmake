# Packages, made by CPack (`make package`): on Linux the Debian package
# lumiscene_<version>_amd64.deb, in the Windows cross build
# lumiscene-<version>-windows.zip. Both take the project's one version.

set(CPACK_PACKAGE_NAME lumiscene)
set(CPACK_PACKAGE_VENDOR StarfieldHQ)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "StarfieldHQ <lumiscene@starfield.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "animated picture: a panorama that pans with the pointer")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME lumiscene-${PROJECT_VERSION}-windows)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/README.txt ${CMAKE_BINARY_DIR}/packaging/README.txt @ONLY
                 NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/README.txt DESTINATION .)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://starfield.example/?lumi8")
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # CPack puts the summary first; this is the long description under it.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Lumiscene shows a lakeside panorama at dusk that pans endlessly with the
pointer under a fine drifting shimmer of blocks; every 30 seconds, or at a
key press, a second picture fades in, holds at half and fades out.")

  # Manual pages and the changelog are installed compressed, as Debian expects.
  set(compressed ${CMAKE_BINARY_DIR}/packaging)
  file(MAKE_DIRECTORY ${compressed})
  function(lumiscene_install_gzipped source destination)
    get_filename_component(name ${source} NAME)
    execute_process(COMMAND gzip -9 -n -c ${source} OUTPUT_FILE ${compressed}/${name}.gz COMMAND_ERROR_IS_FATAL ANY)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
    install(FILES ${compressed}/${name}.gz DESTINATION ${destination})
  endfunction()
  lumiscene_install_gzipped(${PROJECT_SOURCE_DIR}/packaging/man/lumiscene.6 share/man/man6)
  # The screensaver runs under xscreensaver, which the package does not need otherwise.
  lumiscene_install_gzipped(${PROJECT_SOURCE_DIR}/packaging/man/lumiscene-saver.6 share/man/man6)
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS xscreensaver)
  lumiscene_install_gzipped(${PROJECT_SOURCE_DIR}/packaging/debian/changelog share/doc/lumiscene)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright DESTINATION share/doc/lumiscene)
endif()

include(CPack)
