# format-check: fails when a source or header of ours differs from what
# clang-format (with the repository's .clang-format) makes of it.
# format: rewrites them in place.
find_program(CLANG_FORMAT_EXECUTABLE NAMES clang-format)
if(NOT CLANG_FORMAT_EXECUTABLE)
    message(STATUS "clang-format not found: no format-check target")
    return()
endif()

# Every top-level folder but build trees and hidden ones.
file(GLOB velko_top_dirs LIST_DIRECTORIES true RELATIVE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/*)
set(velko_format_files)
foreach(dir ${velko_top_dirs})
    if(NOT IS_DIRECTORY ${CMAKE_SOURCE_DIR}/${dir} OR dir MATCHES "^(build|\\.)")
        continue()
    endif()
    file(GLOB_RECURSE found CONFIGURE_DEPENDS
        ${CMAKE_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_SOURCE_DIR}/${dir}/*.h)
    list(APPEND velko_format_files ${found})
endforeach()
# A build tree may sit anywhere below the source tree.
list(FILTER velko_format_files EXCLUDE REGEX "${CMAKE_BINARY_DIR}/")

add_custom_target(format-check
    COMMAND ${CLANG_FORMAT_EXECUTABLE} --dry-run -Werror ${velko_format_files}
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
    COMMENT "Checking the formatting of ${CMAKE_PROJECT_NAME}'s sources"
    VERBATIM)
add_custom_target(format
    COMMAND ${CLANG_FORMAT_EXECUTABLE} -i ${velko_format_files}
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
    VERBATIM)
