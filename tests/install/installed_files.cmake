# cmake -DBUILD_DIR=... -DPREFIX=... -DBINDIR=... -DDATADIR=... -DVERSION=... -P installed_files.cmake
# Installs the build into an empty prefix and checks that exactly the
# expected files are there and that the desktop entry names the icon, then
# the desktop entry and the metainfo with their validators when those are on
# the machine, then runs the installed programs as a new user.
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

# The installed programs, run as a new user would: HOME an empty folder, and an
# XDG_CONFIG_HOME that is no absolute path, which the XDG rules say to pass
# over for ~/.config. They read the prefix's data, write only into the user's
# configuration folder, and never into the prefix nor beside the current one.
set(home ${PREFIX}-home)
file(REMOVE_RECURSE ${home})
file(MAKE_DIRECTORY ${home})
set(user_env HOME=${home} XDG_CONFIG_HOME=config QT_QPA_PLATFORM=offscreen)
set(sample ${PREFIX}/${DATADIR}/norva/MjScore.txt)

execute_process(COMMAND ${CMAKE_COMMAND} -E env ${user_env}
    ${PREFIX}/${BINDIR}/norva-calc --log ${sample} --user かもめ --all-dates --json
    RESULT_VARIABLE rc OUTPUT_VARIABLE json ERROR_VARIABLE err)
if(rc OR NOT json MATCHES "\"GameCount\": 288,")
    message(FATAL_ERROR "the installed norva-calc on the sample (${rc}):\n${json}${err}")
endif()

# norva opened with the sample, then told to end: it leaves through its exit
# path and writes its settings, without taking the sample for the score log
# it remembers.
find_program(timeout_exe timeout)
if(timeout_exe)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env ${user_env}
        ${timeout_exe} -s TERM 8 ${PREFIX}/${BINDIR}/norva ${sample}
        WORKING_DIRECTORY ${home}
        RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    set(ini ${home}/.config/norva/norva.ini)
    if(NOT EXISTS ${ini})
        message(FATAL_ERROR "the installed norva wrote no ${ini} (${rc}):\n${out}")
    endif()
    file(STRINGS ${ini} score REGEX "^ScoreFile=")
    if(NOT score STREQUAL "ScoreFile=${home}/MjScore.txt")
        message(FATAL_ERROR "${ini}: ${score}, not the score log in the home folder")
    endif()
endif()

file(GLOB_RECURSE after RELATIVE ${PREFIX} ${PREFIX}/*)
list(SORT after)
if(NOT after STREQUAL expected)
    message(FATAL_ERROR "the programs wrote into the prefix:\n  ${after}")
endif()
file(GLOB_RECURSE written RELATIVE ${home} ${home}/*)
if(NOT written STREQUAL ".config/norva/norva.ini")
    message(FATAL_ERROR "the programs wrote, in the home folder:\n  ${written}")
endif()
