# Instrumented builds, each in a folder of its own (scripts/test-sanitize, scripts/fuzz):
#   CASHIER_SANITIZE  every target (program, libraries, tests, demo gateway) with AddressSanitizer,
#                     UndefinedBehaviorSanitizer and LeakSanitizer; any report fails the test
#   CASHIER_FUZZ      the same instrumentation plus libFuzzer coverage (clang only), and the fuzz
#                     targets of tests/fuzz
# Included before any target is made, so the flags reach the whole tree.
option(CASHIER_SANITIZE "Build everything with AddressSanitizer, UBSan and LeakSanitizer" OFF)
option(CASHIER_FUZZ "Build the libFuzzer targets (clang), everything instrumented" OFF)

set(CASHIER_SANITIZER_ENV "")
set(CASHIER_TIMEOUT_FACTOR 1)
if(NOT CASHIER_SANITIZE AND NOT CASHIER_FUZZ)
    return()
endif()
if(CASHIER_FUZZ AND NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "CASHIER_FUZZ needs clang (CC=clang CXX=clang++); libFuzzer is clang's")
endif()

# -O1 keeps stack traces readable and the tests quick; a Debug build type keeps Q_ASSERT in Qt's
# inline code (container bounds, null pointers) switched on.
add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -O1)
add_link_options(-fsanitize=address,undefined)
if(CASHIER_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# The test environment, inherited by the programs a test starts (the cashier, the demo gateway).
# Reports go to files under sanitizer-reports/, since some tests start the program with its stderr
# captured or stop it without looking at its exit code; scripts/test-sanitize fails when one is
# there. Allocations record full stacks (Qt has no frame pointers to follow), so that a leak
# suppression can name the library a leak comes from.
set(CASHIER_SANITIZER_REPORTS ${CMAKE_BINARY_DIR}/sanitizer-reports)
file(MAKE_DIRECTORY ${CASHIER_SANITIZER_REPORTS})
set(CASHIER_SANITIZER_ENV
    "ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:fast_unwind_on_malloc=0:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:log_path=${CASHIER_SANITIZER_REPORTS}/asan"
    "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:log_path=${CASHIER_SANITIZER_REPORTS}/ubsan"
    "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/sanitize/lsan.supp:print_suppressions=0"
    "CASHIER_TEST_WAIT_FACTOR=3")
# Instrumented code runs several times slower; ctest time limits grow by this factor (and the waits of
# the tests that drive the real program, through CASHIER_TEST_WAIT_FACTOR above).
set(CASHIER_TIMEOUT_FACTOR 3)
