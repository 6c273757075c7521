# The user guide's pictures, for the package: the render tests draw the real windows offscreen
# into doc/images of the build tree, and the guide installs with the pictures it names. Drawn
# at build time so the installed guide shows the windows of the programs beside it.
if(NOT KVT_DOC_PICTURES)
    return()
endif()
if(NOT KVT_BUILD_GUI)
    message(FATAL_ERROR "KVT_DOC_PICTURES draws the desktop tool's windows: it needs KVT_BUILD_GUI")
endif()

# The package's build leaves the tests out; the two render programs are built for it then.
find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
foreach(name RenderWindowsTest RenderEditorWindowsTest)
    if(NOT TARGET ${name})
        add_executable(${name} ${CMAKE_SOURCE_DIR}/tests/gui/${name}.cpp)
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
        target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
        target_link_libraries(${name} PRIVATE kvt_gui kvt_sim Qt6::Test)
    endif()
endforeach()

set(guide ${CMAKE_SOURCE_DIR}/docs/user-guide.md)
set(KVT_DOC_PICTURE_DIR ${CMAKE_BINARY_DIR}/doc/images)
# The pictures the guide names; a change of the guide configures again.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${guide})
file(STRINGS ${guide} picture_lines REGEX "images/[A-Za-z0-9_.-]+\\.png")
set(KVT_DOC_PICTURES_NAMED)
foreach(line ${picture_lines})
    string(REGEX MATCHALL "images/[A-Za-z0-9_.-]+\\.png" found "${line}")
    foreach(picture ${found})
        string(REPLACE "images/" "${KVT_DOC_PICTURE_DIR}/" file ${picture})
        list(APPEND KVT_DOC_PICTURES_NAMED ${file})
    endforeach()
endforeach()
list(REMOVE_DUPLICATES KVT_DOC_PICTURES_NAMED)

add_custom_command(
    OUTPUT ${KVT_DOC_PICTURES_NAMED}
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/gui/guide_pictures.sh ${guide} ${KVT_DOC_PICTURE_DIR}
            $<TARGET_FILE:RenderWindowsTest> $<TARGET_FILE:RenderEditorWindowsTest>
    DEPENDS RenderWindowsTest RenderEditorWindowsTest ${guide}
            ${CMAKE_SOURCE_DIR}/tests/gui/guide_pictures.sh
    COMMENT "Drawing the user guide's pictures"
    VERBATIM)
add_custom_target(kvt_doc_pictures ALL DEPENDS ${KVT_DOC_PICTURES_NAMED})
