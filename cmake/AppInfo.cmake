# appinfo: a header-only target with the program's identity (VELKO_APP_ID,
# VELKO_APP_VERSION) for every target that needs to name the program.
configure_file(${CMAKE_CURRENT_LIST_DIR}/AppInfo.h.in ${CMAKE_BINARY_DIR}/generated/AppInfo.h @ONLY)
add_library(appinfo INTERFACE)
target_include_directories(appinfo INTERFACE ${CMAKE_BINARY_DIR}/generated)
