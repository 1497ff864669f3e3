# cmake -DHOME=... -DSTEP=prepare|check -P userhome.cmake
# The stand-in for the real user's home: made empty before the tests, and
# afterwards it must still be empty.
if(STEP STREQUAL "prepare")
    file(REMOVE_RECURSE ${HOME})
    file(MAKE_DIRECTORY ${HOME})
else()
    file(GLOB_RECURSE written LIST_DIRECTORIES true RELATIVE ${HOME} ${HOME}/*)
    if(written)
        string(REPLACE ";" "\n  " w "${written}")
        message(FATAL_ERROR "tests wrote into the user's home:\n  ${w}")
    endif()
endif()
