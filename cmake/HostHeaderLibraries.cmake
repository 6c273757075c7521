# Header-only libraries for a cross build, taken from the build machine's Debian packages.
# Their own CMake packages add -isystem /usr/include, which puts the build machine's C headers
# in front of the target's (windows.h then fails): these targets see their own headers only,
# through a folder that holds nothing else.
set(kvt_header_root ${CMAKE_BINARY_DIR}/host-header-libraries)
file(MAKE_DIRECTORY ${kvt_header_root})

function(kvt_host_header_library target probe folder)
    find_path(kvt_dir_${folder} ${probe} PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
    if(NOT kvt_dir_${folder})
        message(FATAL_ERROR "${probe} not found under /usr/include: install its -dev package")
    endif()
    file(CREATE_LINK ${kvt_dir_${folder}}/${folder} ${kvt_header_root}/${folder} SYMBOLIC)
    add_library(${target} INTERFACE IMPORTED GLOBAL)
    set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${kvt_header_root})
endfunction()

kvt_host_header_library(nlohmann_json::nlohmann_json nlohmann/json.hpp nlohmann)
kvt_host_header_library(CLI11::CLI11 CLI/CLI.hpp CLI)
