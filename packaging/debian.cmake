# What a Debian package carries besides the programs: the copyright file, the changelog
# and a manual page for each program. The pages are made from the programs' own --help at
# build time, so that they say what the programs do.

set(docDir share/doc/rotavis)
set(debianDir ${CMAKE_CURRENT_BINARY_DIR}/debian)
configure_file(debian/copyright ${debianDir}/copyright @ONLY)
configure_file(debian/changelog ${debianDir}/changelog @ONLY)
install(FILES ${debianDir}/copyright DESTINATION ${docDir})

# Debian wants its documentation compressed with gzip -9n (no name, no time stamp), so that
# the package comes out the same from the same sources.
function(rotavis_gzip source output)
    add_custom_command(OUTPUT ${output}
                       COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" gzip ${source} ${output}
                       DEPENDS ${source} VERBATIM)
endfunction()

rotavis_gzip(${debianDir}/changelog ${debianDir}/changelog.gz)
set(debianFiles ${debianDir}/changelog.gz)
install(FILES ${debianDir}/changelog.gz DESTINATION ${docDir})

find_program(HELP2MAN help2man)
if(NOT HELP2MAN)
    message(WARNING "help2man not found: the manual pages are not made (apt install help2man)")
endif()
set(manDir ${CMAKE_CURRENT_BINARY_DIR}/man)
file(MAKE_DIRECTORY ${manDir})
# The programs whose --help makes their pages, each with its one-line summary and its own
# sections (debian/PROGRAM.h2m); the package test checks each page.
set(ROTAVIS_MANUAL_PAGES rotavis rotavis-convert)
set(ROTAVIS_MANUAL_PAGES ${ROTAVIS_MANUAL_PAGES} PARENT_SCOPE)
set(whatis_rotavis "place, preview and save video for spinning LED fan displays")
set(whatis_rotavis-convert "convert video into fan data files without a display")
# A cross build cannot run its programs to ask them: it makes no pages.
foreach(program ${ROTAVIS_MANUAL_PAGES})
    if(NOT HELP2MAN OR CMAKE_CROSSCOMPILING)
        break()
    endif()
    set(page ${manDir}/${program}.1)
    # A Qt program may want a display even for --help, and a build may run without one; a
    # sanitizer build's leak report would fail the call.
    add_custom_command(OUTPUT ${page}
                       COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                               ASAN_OPTIONS=detect_leaks=0
                               ${HELP2MAN} --no-info --name ${whatis_${program}}
                               --version-string ${PROJECT_VERSION}
                               --include ${CMAKE_CURRENT_SOURCE_DIR}/debian/${program}.h2m
                               --output ${page} $<TARGET_FILE:${program}>
                       DEPENDS ${program} debian/${program}.h2m
                       COMMENT "Manual page of ${program}" VERBATIM)
    rotavis_gzip(${page} ${page}.gz)
    list(APPEND debianFiles ${page}.gz)
    install(FILES ${page}.gz DESTINATION share/man/man1)
endforeach()
add_custom_target(debian_files ALL DEPENDS ${debianFiles})
