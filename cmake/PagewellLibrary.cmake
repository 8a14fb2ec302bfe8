# One static library per top-level folder, its files listed by name so that a stray file is never built silently.
#   pagewell_library(<target> SOURCES <files...> [LINKS <targets...>])
function(pagewell_library name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;LINKS")
    add_library(${name} STATIC ${arg_SOURCES})
    target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
    target_link_libraries(${name} PUBLIC ${arg_LINKS})
endfunction()
