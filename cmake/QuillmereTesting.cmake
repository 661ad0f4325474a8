# qm_test_environment(<test>): the environment every test runs in: the offscreen platform, a
# platform directory and a home inside the build tree, so nothing touches the user's own settings
# or files; tests that write state create their own temporary directories on top of that.
function(qm_test_environment name)
    # A home of its own in the build tree: what Qt and the engine keep in a home (dialog
    # settings, the default download folder, runtime files) never reaches the user's.
    set(home "${CMAKE_BINARY_DIR}/test-home/${name}")
    file(MAKE_DIRECTORY "${home}/runtime")
    file(CHMOD "${home}/runtime" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
    set(env
        "QT_QPA_PLATFORM=offscreen"
        "QUILLMERE_PLATFORM_DIR=${CMAKE_BINARY_DIR}/test-platform/${name}"
        "QM_BUILD_DIR=${CMAKE_BINARY_DIR}"
        "QM_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
        "HOME=${home}"
        "XDG_CONFIG_HOME=${home}/.config"
        "XDG_DATA_HOME=${home}/.local/share"
        "XDG_CACHE_HOME=${home}/.cache"
        "XDG_RUNTIME_DIR=${home}/runtime")
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}")
endfunction()

# qm_add_qtest(<target> SOURCES <files...> LIBS <targets...> [LABELS <labels...>])
# One QtTest executable registered with CTest, in the environment above. Suites are named
# tst_<group>_<Name>: <group> is the last part of the suite's folder below tests/ (app, host,
# registry, engine, ...), <Name> what the suite tests, and the source file tst_<Name>.cpp holds the
# test class Test<Name>. The target is named as given; the CTest name is always
# tst_<group>_<Name>, so a target given without its group ("tst_<Name>") still gets a test of the
# common form. Every suite links tests/support.
function(qm_add_qtest target)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    get_filename_component(group ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    string(REGEX REPLACE "^tst_(${group}_)?" "" suite ${target})
    set(name tst_${group}_${suite})
    add_executable(${target} ${ARG_SOURCES})
    target_link_libraries(${target} PRIVATE Qt6::Test qm_test_support ${ARG_LIBS})
    add_test(NAME ${name} COMMAND ${target})
    qm_test_environment(${name})
    if(ARG_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
    # Suites that drive the real browser engine start its processes; running them one at a time
    # keeps their page loads from starving each other on a small machine.
    if("engine" IN_LIST ARG_LABELS)
        set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE)
    endif()
endfunction()
