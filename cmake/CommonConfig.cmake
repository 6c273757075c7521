# One interface target carries the language level and warnings for every target of ours.
add_library(kvt_common INTERFACE)
target_compile_features(kvt_common INTERFACE cxx_std_20)
target_compile_options(kvt_common INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                            -Wno-sign-conversion)
# CI turns warnings into errors (tools/test-all.sh and the scripts it runs); a user's build of
# a release with a newer compiler should not fail on a warning that compiler has learnt.
if(KVT_WERROR)
    target_compile_options(kvt_common INTERFACE -Werror)
endif()
target_compile_definitions(kvt_common INTERFACE QT_NO_CAST_FROM_ASCII
                                                QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
# windows.h without its min and max macros, which break std::min and std::max.
if(WIN32)
    target_compile_definitions(kvt_common INTERFACE NOMINMAX)
endif()

set(KVT_SANITIZE "" CACHE STRING "Sanitizers: 'address' (address+undefined) or 'thread'")
if(KVT_SANITIZE STREQUAL "address")
    target_compile_options(kvt_common INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                -fno-sanitize-recover=all)
    target_link_options(kvt_common INTERFACE -fsanitize=address,undefined)
elseif(KVT_SANITIZE STREQUAL "thread")
    target_compile_options(kvt_common INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(kvt_common INTERFACE -fsanitize=thread)
endif()

# Fuzzing instruments all of our code for coverage; only the fuzz targets link the fuzzer.
if(KVT_FUZZ)
    target_compile_options(kvt_common INTERFACE -fsanitize=fuzzer-no-link)
endif()

# A Windows program of ours carries an application manifest that makes UTF-8 its code page, so
# that its arguments, environment and file names arrive as UTF-8, as on Linux.
function(kvt_utf8_program target)
    if(NOT WIN32)
        return()
    endif()
    set(rc ${CMAKE_BINARY_DIR}/generated/utf8-manifest.rc)
    # RT_MANIFEST (24), resource 1: the manifest Windows reads when it starts the program.
    file(CONFIGURE OUTPUT ${rc} CONTENT "1 24 \"${CMAKE_SOURCE_DIR}/cmake/windows/utf8.manifest\"\n")
    target_sources(${target} PRIVATE ${rc})
endfunction()
