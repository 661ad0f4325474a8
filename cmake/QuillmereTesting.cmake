# qm_add_qtest(<name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>])
# One QtTest executable registered with CTest. Every test runs with the offscreen platform and a
# platform directory inside the build tree, so nothing touches the user's own settings; tests that
# write state create their own temporary platform directory on top of that.
function(qm_add_qtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    set(env
        "QT_QPA_PLATFORM=offscreen"
        "QUILLMERE_PLATFORM_DIR=${CMAKE_BINARY_DIR}/test-platform/${name}"
        "QM_BUILD_DIR=${CMAKE_BINARY_DIR}"
        "QM_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}")
    if(ARG_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
    # Suites that drive the real browser engine start its processes; running them one at a time
    # keeps their page loads from starving each other on a small machine.
    if("engine" IN_LIST ARG_LABELS)
        set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE)
    endif()
endfunction()
