# Install step for the installation file, fanconfig.xml. The programs read it from beside
# their executable, in PREFIX/lib/rotavis. Installed under /usr (a distribution's place),
# the file itself lives in /etc/rotavis and PREFIX/lib/rotavis holds a link to it, absolute
# as Debian wants links between top-level folders to be.
# An existing file is the installer's own description of the installation: it is never
# replaced; only a missing one is created from the bundled sample.
#
# Expects ROTAVIS_SAMPLE_CONFIG, the bundled file.

set(programDir "${CMAKE_INSTALL_PREFIX}/lib/rotavis")
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    set(configFile "/etc/rotavis/fanconfig.xml")
    set(link "$ENV{DESTDIR}${programDir}/fanconfig.xml")
    file(MAKE_DIRECTORY "$ENV{DESTDIR}${programDir}")
    message(STATUS "Installing: ${link} -> ${configFile}")
    file(CREATE_LINK "${configFile}" "${link}" SYMBOLIC)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${link}")
else()
    set(configFile "${programDir}/fanconfig.xml")
endif()

set(target "$ENV{DESTDIR}${configFile}")
if(EXISTS "${target}")
    message(STATUS "Keeping the installation's own: ${target}")
else()
    get_filename_component(targetDir "${target}" DIRECTORY)
    file(MAKE_DIRECTORY "${targetDir}")
    message(STATUS "Installing: ${target}")
    file(COPY "${ROTAVIS_SAMPLE_CONFIG}" DESTINATION "${targetDir}")
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${target}")
endif()
