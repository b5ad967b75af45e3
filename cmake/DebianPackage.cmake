# The Debian package: what the install rules put under the prefix, as
# /usr/..., with the documentation Debian asks of every package. The
# dependencies are found by dpkg-shlibdeps from the libraries the module and
# the program link, so they follow whatever Debian release builds it.
include(GNUInstallDirs)

set(BRISLEAF_MAINTAINER "brisleaf maintainers <maintainers@users.noreply.c-seed-d3b49c39.example>")
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/brisleaf)

# Debian wants the changelog and the man page compressed, without a name or
# time in the gzip header so that two builds give the same bytes.
set(out ${PROJECT_BINARY_DIR}/packaging)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${out}/changelog @ONLY)
add_custom_command(OUTPUT ${out}/changelog.gz ${out}/brisleaf-thumb.1.gz
                   COMMAND gzip -9nc ${out}/changelog > ${out}/changelog.gz
                   COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/host/brisleaf-thumb.1 > ${out}/brisleaf-thumb.1.gz
                   DEPENDS ${out}/changelog ${PROJECT_SOURCE_DIR}/host/brisleaf-thumb.1 VERBATIM)
add_custom_target(brisleaf_package_docs ALL DEPENDS ${out}/changelog.gz ${out}/brisleaf-thumb.1.gz)

install(FILES ${out}/brisleaf-thumb.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${out}/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brisleaf)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${BRISLEAF_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${BRISLEAF_MAINTAINER})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "e-book cover thumbnailer
brisleaf finds the cover picture of an EPUB, FictionBook (plain or zipped)
or Mobipocket book and shrinks it into a thumbnail. File managers that use
freedesktop thumbnailers (GNOME Files, Nemo, Caja, Thunar with tumbler)
show the covers of books with it; brisleaf-thumb also thumbnails books from
the command line, a whole library at once.")
include(CPack)
