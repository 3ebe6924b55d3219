# A Debian package's man page and changelog, compressed as Debian keeps them and installed into the package's
# component. The changelog's version is the project's: the version number lives in the top CMakeLists.txt only.
#   debian_docs(PACKAGE MAN_PAGE CHANGELOG_IN)
function(debian_docs package man_page_source changelog_source)
  set(man_page ${CMAKE_CURRENT_BINARY_DIR}/${package}.1.gz)
  add_custom_command(OUTPUT ${man_page}
                     COMMAND gzip -9 -n -c ${man_page_source} > ${man_page}
                     DEPENDS ${man_page_source}
                     VERBATIM)
  configure_file(${changelog_source} ${CMAKE_CURRENT_BINARY_DIR}/changelog @ONLY)
  set(changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
  add_custom_command(OUTPUT ${changelog}
                     COMMAND gzip -9 -n -c ${CMAKE_CURRENT_BINARY_DIR}/changelog > ${changelog}
                     DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog
                     VERBATIM)
  add_custom_target(${package}_docs ALL DEPENDS ${man_page} ${changelog})
  install(FILES ${man_page} DESTINATION share/man/man1 COMPONENT ${package})
  install(FILES ${changelog} DESTINATION share/doc/${package} COMPONENT ${package})
endfunction()
