# velko_add_test(NAME <name> SOURCES <files...> LIBS <targets...> LABELS <labels...>
#                [FIXTURES <fixtures...>] [TIMEOUT <seconds>])
#
# Builds one Qt Test executable and registers it with CTest. Every test runs
# offscreen with its own configuration, data and cache folders below the
# build tree, so no test can touch the user's real settings or job scripts.
function(velko_add_test)
    cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS;FIXTURES" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE Qt6::Test ${T_LIBS})
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    set(home ${CMAKE_BINARY_DIR}/testhome/${T_NAME})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    set_tests_properties(${T_NAME} PROPERTIES
        LABELS "${T_LABELS}"
        TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;HOME=${home};XDG_CONFIG_HOME=${home}/config;XDG_DATA_HOME=${home}/data;XDG_CACHE_HOME=${home}/cache;XDG_RUNTIME_DIR=${home}/runtime;DBUS_SESSION_BUS_ADDRESS=unix:path=${home}/runtime/bus;VELKO_FIXTURES=${VELKO_FIXTURE_DIR}")
    if(T_FIXTURES)
        set_tests_properties(${T_NAME} PROPERTIES FIXTURES_REQUIRED "${T_FIXTURES}")
    endif()
    file(MAKE_DIRECTORY ${home}/config ${home}/data ${home}/cache ${home}/runtime)
    file(CHMOD ${home}/runtime DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
endfunction()
