# What the Linux install holds besides the program, desktop entry and icons: AppStream
# metainfo, a manual page, and the Debian copyright file and changelog; and `cpack -G DEB`
# (scripts/release.sh) makes numir-assistant_<version>_<arch>.deb of it all.
include(GNUInstallDirs)
set(package_files ${PROJECT_BINARY_DIR}/package)

# The permission text of LICENSE in the copyright file's own layout: indented, blank lines
# as a lone full stop.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
string(REGEX REPLACE "^.*\nPermission" "Permission" licence "${licence}")
string(STRIP "${licence}" licence)
string(REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REPLACE "\n" "\n " NUMIR_LICENSE_TEXT " ${licence}")
execute_process(COMMAND date -u -R -d ${NUMIR_RELEASE_DATE}
    OUTPUT_VARIABLE NUMIR_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)

set(metainfo ${package_files}/jp.numir.assistant.metainfo.xml)
configure_file(${PROJECT_SOURCE_DIR}/app/linux/jp.numir.assistant.metainfo.xml.in ${metainfo} @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/app/linux/copyright.in ${package_files}/copyright @ONLY)
foreach(name changelog numir-assistant.1)
    configure_file(${PROJECT_SOURCE_DIR}/app/linux/${name}.in ${package_files}/${name} @ONLY)
    # gzip -n leaves out the name and time, so that two builds give the same bytes.
    add_custom_command(OUTPUT ${package_files}/${name}.gz
        COMMAND gzip -9nc ${package_files}/${name} > ${package_files}/${name}.gz
        DEPENDS ${package_files}/${name} VERBATIM)
    list(APPEND compressed ${package_files}/${name}.gz)
endforeach()
add_custom_target(numir_package_files ALL DEPENDS ${compressed})

install(FILES ${metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${package_files}/numir-assistant.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${package_files}/copyright ${package_files}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/numir-assistant)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME numir-assistant)
set(CPACK_PACKAGE_VENDOR "NUMIR Assistant team")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/cpack)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "NUMIR Assistant team <team@numir.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt libraries as dpkg-shlibdeps finds them; a Japanese font and xdg-open by hand.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic | fonts-noto-cjk, xdg-utils")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "proposes combinations for a six-from-forty-three lottery")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "NUMIR Assistant (NUMIRアシスタント) draws random combinations of six numbers
from 1 to 43, keeps those that pass the rules set in its Japanese window
(numbers to leave out or include, one number of the previous draw, a sum
between 110 and 165, a limit on odd sums) and writes them to numir.txt for a
lottery-sheet printing program.")
include(CPack)
