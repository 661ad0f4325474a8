# qm_add_version_resource(<target> DESCRIPTION "<FileDescription>")
# Puts a VS_VERSIONINFO block into the target (an executable or shared library): file and
# product version from PROJECT_VERSION, translation 041104B0 (Japanese, Unicode) and the strings
# FileDescription, FileVersion, ProductVersion, ProductName (QM_PRODUCT_NAME) and
# LegalCopyright (QM_COPYRIGHT). The block is generated at build time into the section
# ".qm_version", where GetFileVersionInfoA finds it.

add_executable(qm_version_gen
    ${CMAKE_SOURCE_DIR}/platform/kernel/VersionGen.cpp
    ${CMAKE_SOURCE_DIR}/platform/kernel/VersionInfoWriter.cpp
    ${CMAKE_SOURCE_DIR}/platform/kernel/Utf16.cpp)
set_target_properties(qm_version_gen PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)

function(qm_add_version_resource target)
    cmake_parse_arguments(ARG "" "DESCRIPTION" "" ${ARGN})
    if(NOT ARG_DESCRIPTION)
        message(FATAL_ERROR "qm_add_version_resource(${target}): DESCRIPTION is required")
    endif()
    get_target_property(kind ${target} TYPE)
    if(kind STREQUAL "EXECUTABLE")
        set(file_type app)
    elseif(kind STREQUAL "SHARED_LIBRARY" OR kind STREQUAL "MODULE_LIBRARY")
        set(file_type dll)
    else()
        message(FATAL_ERROR "qm_add_version_resource(${target}): not an executable or library")
    endif()
    set(output ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_resource.cpp)
    add_custom_command(
        OUTPUT ${output}
        COMMAND qm_version_gen ${output} ${PROJECT_VERSION} ${file_type}
                "FileDescription=${ARG_DESCRIPTION}"
                "FileVersion=${PROJECT_VERSION}"
                "ProductVersion=${PROJECT_VERSION}"
                "ProductName=${QM_PRODUCT_NAME}"
                "LegalCopyright=${QM_COPYRIGHT}"
        DEPENDS qm_version_gen
        COMMENT "Generating the version resource of ${target}"
        VERBATIM)
    set_source_files_properties(${output} PROPERTIES GENERATED ON SKIP_AUTOGEN ON)
    target_sources(${target} PRIVATE ${output})
endfunction()
