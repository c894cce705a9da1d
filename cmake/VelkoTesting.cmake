# The folders the fixture scripts make their media in, one per script, below
# the build tree. Every test finds them in the environment (Fixture.h).
set(VELKO_FIXTURE_DIR ${CMAKE_BINARY_DIR}/fixtures)
set(VELKO_DVD_FIXTURE_DIR ${CMAKE_BINARY_DIR}/dvd-fixtures)
set(VELKO_FILM_FIXTURE_DIR ${CMAKE_BINARY_DIR}/film-fixtures)
set(VELKO_TITLE_FIXTURE_DIR ${CMAKE_BINARY_DIR}/title-fixtures)
set(VELKO_PICTURE_FIXTURE_DIR ${CMAKE_BINARY_DIR}/picture-fixtures)

# velko_add_test(NAME <name> SOURCES <files...> LIBS <targets...> LABELS <labels...>
#                [FIXTURES <fixtures...>] [TIMEOUT <seconds>])
#
# Builds one Qt Test executable and registers it with CTest. Every test runs
# offscreen with its own configuration, data and cache folders below the
# build tree, so no test can touch the user's real settings or job scripts.
function(velko_add_test)
    cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS;FIXTURES" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE Qt6::Test velko_test_support ${T_LIBS})
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    set(home ${CMAKE_BINARY_DIR}/testhome/${T_NAME})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    set_tests_properties(${T_NAME} PROPERTIES
        LABELS "${T_LABELS}"
        TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;HOME=${home};XDG_CONFIG_HOME=${home}/config;XDG_DATA_HOME=${home}/data;XDG_CACHE_HOME=${home}/cache;XDG_RUNTIME_DIR=${home}/runtime;DBUS_SESSION_BUS_ADDRESS=unix:path=${home}/runtime/bus;VELKO_FIXTURES=${VELKO_FIXTURE_DIR};VELKO_DVD_FIXTURES=${VELKO_DVD_FIXTURE_DIR};VELKO_FILM_FIXTURES=${VELKO_FILM_FIXTURE_DIR};VELKO_TITLE_FIXTURES=${VELKO_TITLE_FIXTURE_DIR};VELKO_PICTURE_FIXTURES=${VELKO_PICTURE_FIXTURE_DIR}")
    if(T_FIXTURES)
        set_tests_properties(${T_NAME} PROPERTIES FIXTURES_REQUIRED "${T_FIXTURES}")
    endif()
    file(MAKE_DIRECTORY ${home}/config ${home}/data ${home}/cache ${home}/runtime)
    file(CHMOD ${home}/runtime DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
endfunction()
