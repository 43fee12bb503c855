# The Debian package (make package): the eight programs in /usr/bin, a man
# page each made from its usage screen by help2man, the workflow, the
# examples and the README under /usr/share/tavrin, the changelog and
# copyright under /usr/share/doc/tavrin. The version is project(VERSION).

set(TAVRIN_MAINTAINER "Tavrin developers <tavrin@example.org>"
    CACHE STRING "Maintainer named in the package and its changelog")
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(tavrin_data_permissions OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

# Program target, installed name, one line for the man page's NAME section.
set(tavrin_programs
  pair_finder "Tavrin" "find associated pairs of sequence elements across an interaction network"
  motif_pair_finder "Tavrin-N" "discover pairs of nucleotide motifs that co-occur across interactions"
  motif_pair_finder_hv "Tavrin-N.HV" "discover nucleotide motifs that co-occur with themselves across interactions"
  simvale "Simvale" "name the closest known matrix of each discovered motif"
  vantor_n "VantorN" "score the conservation of nucleotide motifs across orthologs"
  vantor_p "VantorP" "score the conservation of protein motifs across orthologs"
  tavrin_report "Tavrin-report" "write one self-contained HTML page of a Tavrin run"
  tavrin_motifs "Tavrin-motifs" "convert motif collections between motif formats")

find_program(TAVRIN_HELP2MAN help2man)
find_program(TAVRIN_GZIP gzip)
if(TAVRIN_HELP2MAN AND TAVRIN_GZIP)
  set(man_dir ${CMAKE_BINARY_DIR}/man)
  set(man_pages)
  list(LENGTH tavrin_programs count)
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 3)
    math(EXPR j "${i} + 1")
    math(EXPR k "${i} + 2")
    list(GET tavrin_programs ${i} target)
    list(GET tavrin_programs ${j} name)
    list(GET tavrin_programs ${k} summary)
    # help2man takes the program name from the file name it runs.
    configure_file(${CMAKE_SOURCE_DIR}/packaging/man-help.sh ${man_dir}/wrap/${name} COPYONLY)
    set(page ${man_dir}/${name}.1.gz)
    add_custom_command(
      OUTPUT ${page}
      COMMAND ${CMAKE_COMMAND} -E env TAVRIN_MAN_PROGRAM=$<TARGET_FILE:${target}>
              TAVRIN_MAN_VERSION=${PROJECT_VERSION}
              ${TAVRIN_HELP2MAN} --no-info --section=1 --name=${summary}
              --source=Tavrin --manual=Tavrin --output=${man_dir}/${name}.1 ${man_dir}/wrap/${name}
      COMMAND ${TAVRIN_GZIP} -9 -n -f ${man_dir}/${name}.1
      DEPENDS ${target} ${CMAKE_SOURCE_DIR}/packaging/man-help.sh
      COMMENT "Man page of ${name}"
      VERBATIM)
    list(APPEND man_pages ${page})
  endforeach()
  add_custom_target(man_pages ALL DEPENDS ${man_pages})
  install(FILES ${man_pages} DESTINATION share/man/man1 PERMISSIONS ${tavrin_data_permissions})
else()
  message(STATUS "help2man not found: no man pages (make package installs it)")
endif()

set(doc_dir share/doc/tavrin)
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/packaging/changelog
          ${CMAKE_BINARY_DIR}/packaging/changelog.copy
  COMMAND gzip -9 -n -f ${CMAKE_BINARY_DIR}/packaging/changelog.copy
  COMMAND ${CMAKE_COMMAND} -E rename ${CMAKE_BINARY_DIR}/packaging/changelog.copy.gz
          ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog
  VERBATIM)
add_custom_target(package_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz ${CMAKE_SOURCE_DIR}/packaging/copyright
        DESTINATION ${doc_dir} PERMISSIONS ${tavrin_data_permissions})

install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION share/tavrin
        PERMISSIONS ${tavrin_data_permissions})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/ DESTINATION share/tavrin/examples
        FILE_PERMISSIONS ${tavrin_data_permissions})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/workflow/ DESTINATION share/tavrin/workflow
        FILE_PERMISSIONS ${tavrin_data_permissions}
        PATTERN "__pycache__" EXCLUDE PATTERN ".snakemake" EXCLUDE PATTERN "*.pyc" EXCLUDE)

# What the package holds, built by `make package` (which then runs cpack);
# cpack itself builds nothing more, so the tests need not build first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)
add_custom_target(package_files)
list(LENGTH tavrin_programs count)
math(EXPR last "${count} - 1")
foreach(i RANGE 0 ${last} 3)
  list(GET tavrin_programs ${i} target)
  add_dependencies(package_files ${target})
endforeach()
add_dependencies(package_files package_changelog)
if(TARGET man_pages)
  add_dependencies(package_files man_pages)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavrin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TAVRIN_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "associated sequence elements across interaction networks")
# The summary above is the synopsis line; this is the extended description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Command-line programs that find pairs of sequence elements (protein domains,
protein motifs, promoter or UTR motifs) whose presence on the two sides of
interactions is associated, discover co-occurring nucleotide motifs, name
their closest known matrices, score their conservation across orthologs,
and write a run as one HTML page; a motif format converter and a Snakemake
workflow for many data sets (under /usr/share/tavrin).")
set(CPACK_DEBIAN_FILE_NAME "tavrin_${PROJECT_VERSION}_amd64.deb")
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TAVRIN_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The workflow runs the programs through Snakemake and its Python scripts.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "snakemake, bedtools, python3, chromium")
include(CPack)
