# Tests of the Windows build run under Wine, in the project's booted prefix
# (scripts/wine-prefix base), unless a test names another.
set(WINE_BASE_PREFIX ${CMAKE_SOURCE_DIR}/.wine/base CACHE PATH "Booted Wine prefix for tests")
set(WINE_TEST_ENVIRONMENT
    "WINEPREFIX=${WINE_BASE_PREFIX}"
    "WINEDEBUG=-all"
    "WINEDLLOVERRIDES=mscoree,mshtml=")

# project_test(NAME n TARGET t [TIMEOUT s] [ARGS ...] [LOCKS ...]): one
# test per executable; under the Windows build it runs through the emulator
# (wine). LOCKS names shared things the test changes (for example
# "registry-tesmar" for the server's settings key in the shared prefix), so
# that tests touching the same thing never run at the same time.
function(project_test)
    cmake_parse_arguments(T "" "NAME;TARGET;TIMEOUT" "ARGS;LABELS;LOCKS" ${ARGN})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    add_test(NAME ${T_NAME} COMMAND ${T_TARGET} ${T_ARGS})
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
    if(T_LABELS)
        set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
    endif()
    if(T_LOCKS)
        set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK "${T_LOCKS}")
    endif()
    if(WIN32)
        set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${WINE_TEST_ENVIRONMENT}")
    endif()
endfunction()
