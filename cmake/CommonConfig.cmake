# One interface target with the language level, warnings and Qt safety defines
# that every target of the project shares.
add_library(norva_config INTERFACE)
target_compile_features(norva_config INTERFACE cxx_std_20)
target_compile_options(norva_config INTERFACE -Wall -Wextra -Wpedantic -Wold-style-cast
    -Wnon-virtual-dtor -Woverloaded-virtual)
target_compile_definitions(norva_config INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_CONTEXTLESS_CONNECT
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_URL_CAST_FROM_STRING
    QT_USE_QSTRINGBUILDER)

# The fuzzing build instruments everything for libFuzzer and always runs
# under AddressSanitizer and UndefinedBehaviorSanitizer.
if(NORVA_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "NORVA_FUZZ needs clang: -DCMAKE_CXX_COMPILER=clang++")
    endif()
    if(NOT NORVA_SANITIZE)
        set(NORVA_SANITIZE address,undefined)
    endif()
    target_compile_options(norva_config INTERFACE -fsanitize=fuzzer-no-link)
endif()

if(NORVA_SANITIZE)
    target_compile_options(norva_config INTERFACE
        -fsanitize=${NORVA_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    target_link_options(norva_config INTERFACE -fsanitize=${NORVA_SANITIZE})
endif()

# The data folder of an installed norva as seen from its executable's folder,
# so that an installed tree can be moved as a whole.
include(GNUInstallDirs)
file(RELATIVE_PATH NORVA_DATA_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR}
    ${CMAKE_INSTALL_FULL_DATADIR}/${PROJECT_NAME})
configure_file(${PROJECT_SOURCE_DIR}/cmake/norva_version.h.in
    ${PROJECT_BINARY_DIR}/generated/norva_version.h @ONLY)
target_include_directories(norva_config INTERFACE ${PROJECT_BINARY_DIR}/generated)
