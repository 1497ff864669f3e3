# cmake -DBUILD_DIR=... -DPREFIX=... -DBINDIR=... -DDATADIR=... -DVERSION=... -P installed_files.cmake
# Installs the build into an empty prefix and checks that exactly the
# expected files are there and that the desktop entry names the icon, then
# the desktop entry and the metainfo with their validators when those are on
# the machine.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
    RESULT_VARIABLE rc OUTPUT_QUIET)
if(rc)
    message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()

set(id org.norva.Norva)
set(desktop ${DATADIR}/applications/${id}.desktop)
set(metainfo ${DATADIR}/metainfo/${id}.metainfo.xml)
set(expected ${BINDIR}/norva ${BINDIR}/norva-calc
    ${DATADIR}/norva/norva.dat ${DATADIR}/norva/Readme.txt ${DATADIR}/norva/MjScore.txt
    ${desktop} ${DATADIR}/icons/hicolor/scalable/apps/${id}.svg ${metainfo})
file(GLOB_RECURSE installed RELATIVE ${PREFIX} ${PREFIX}/*)
list(SORT expected)
list(SORT installed)
if(NOT installed STREQUAL expected)
    string(REPLACE ";" "\n  " e "${expected}")
    string(REPLACE ";" "\n  " i "${installed}")
    message(FATAL_ERROR "Installed:\n  ${i}\nExpected:\n  ${e}")
endif()
file(READ ${PREFIX}/${metainfo} xml)
if(NOT xml MATCHES "<release version=\"${VERSION}\"")
    message(FATAL_ERROR "${metainfo} has no release ${VERSION}")
endif()
file(STRINGS ${PREFIX}/${desktop} icon REGEX "^Icon=")
if(NOT icon STREQUAL "Icon=${id}")
    message(FATAL_ERROR "${desktop}: ${icon}, not the installed icon ${id}")
endif()

# A validator passes when it exits with 0 and, for desktop-file-validate,
# prints nothing (it exits with 0 on warnings and hints).
function(validate tool quiet)
    find_program(exe_${tool} ${tool})
    if(NOT exe_${tool})
        message(STATUS "${tool} not found: not checked")
        return()
    endif()
    execute_process(COMMAND ${exe_${tool}} ${ARGN}
        RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(rc OR (quiet AND out))
        message(FATAL_ERROR "${tool} ${ARGN}:\n${out}")
    endif()
    message(STATUS "${tool} passed. ${out}")
endfunction()
validate(desktop-file-validate TRUE ${PREFIX}/${desktop})
# validate-tree checks the metainfo and that its launchable is installed.
validate(appstreamcli FALSE validate-tree --no-net ${PREFIX})
