# QM_SANITIZERS ("address,undefined") instruments everything this tree builds; an error found
# stops the program (-fno-sanitize-recover), so a test that meets one fails. QM_FUZZ adds
# libFuzzer's coverage instrumentation (clang); the fuzz programs link libFuzzer itself
# (tests/fuzz).
set(QM_SANITIZERS "" CACHE STRING "Sanitizers to build with, as -fsanitize= takes them")
if(QM_SANITIZERS)
    add_compile_options(-fsanitize=${QM_SANITIZERS} -fno-sanitize-recover=all
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=${QM_SANITIZERS})
endif()
if(QM_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "QM_FUZZ needs clang (scripts/fuzz.sh configures it)")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
