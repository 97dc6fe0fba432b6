option(QM3270_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(QM3270_FUZZ "Build the fuzz targets in fuzz/ (clang's libFuzzer; needs QM3270_SANITIZE)" OFF)

# How the tests and the fuzzers run under the sanitizers (kept in the cache for
# scripts/dev.sh). Status 86 is a sanitizer's report: the programs end with
# 0..5, a crash with a signal.
set(QM3270_SANITIZER_EXIT_CODE 86)
set(QM3270_ASAN_OPTIONS
    "halt_on_error=1:exitcode=${QM3270_SANITIZER_EXIT_CODE}:detect_leaks=1:detect_stack_use_after_return=1:strict_init_order=1"
    CACHE INTERNAL "ASAN_OPTIONS of the tests and fuzzers")
set(QM3270_UBSAN_OPTIONS "halt_on_error=1:exitcode=${QM3270_SANITIZER_EXIT_CODE}:print_stacktrace=1"
    CACHE INTERNAL "UBSAN_OPTIONS of the tests and fuzzers")
set(QM3270_LSAN_OPTIONS "exitcode=${QM3270_SANITIZER_EXIT_CODE}"
    CACHE INTERNAL "LSAN_OPTIONS of the tests and fuzzers")

if(QM3270_SANITIZE)
    # Undefined behaviour stops the program at the first report, like an address error.
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
endif()
if(QM3270_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "QM3270_FUZZ needs clang (libFuzzer): configure with CMAKE_CXX_COMPILER=clang++")
    endif()
    if(NOT QM3270_SANITIZE)
        message(FATAL_ERROR "QM3270_FUZZ needs QM3270_SANITIZE=ON: a finding is an address or undefined-behaviour report")
    endif()
    # Coverage for the fuzzers everywhere; only the fuzz targets link libFuzzer's main.
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
