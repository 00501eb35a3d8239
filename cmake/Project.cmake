# Build conventions shared by every subsystem.
#
#   pl_add_test(<name> SOURCES ... [LIBS ...] [LABELS ...] [WINDOWS_ONLY] [ENV ...])
#       A GoogleTest executable. Logic tests build in the native tree (sanitizers,
#       one CTest test per test case) and in the Windows tree (run under Wine, one
#       CTest test per executable, because every Wine process start costs time).
#       WINDOWS_ONLY tests exercise real Win32 behaviour and build for Windows only.
#   pl_add_fuzzer(<name> SOURCES ... [LIBS ...] CORPUS <dir> [RUNS n])
#       A libFuzzer target, built in the fuzz tree only; CTest runs it for a fixed
#       number of runs over its committed seed corpus.
#   pl_add_benchmark(<name> SOURCES ... [LIBS ...] [SMOKE_ARGS ...])
#       A benchmark executable that prints its figures; CTest only runs a smoke
#       pass (SMOKE_ARGS) to prove it still works.

set(PL_COMMON_WARNINGS -Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers)

if(PL_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

if(PL_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32)
    # One self-contained executable per program: no mingw DLLs to ship beside it.
    add_compile_definitions(WINVER=0x0601 _WIN32_WINNT=0x0601 _WIN32_IE=0x0800 NOMINMAX STRICT)
    add_link_options(-static -static-libgcc -static-libstdc++)
endif()

add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:${PL_COMMON_WARNINGS}>")

function(pl_add_test name)
    cmake_parse_arguments(A "WINDOWS_ONLY" "TIMEOUT" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
    if(PL_FUZZ)
        return()
    endif()
    if(A_WINDOWS_ONLY AND NOT WIN32)
        return()
    endif()
    add_executable(${name} ${A_SOURCES})
    target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gtest_main GTest::gmock)
    if(NOT A_TIMEOUT)
        set(A_TIMEOUT 120)
    endif()
    if(WIN32)
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES LABELS "${A_LABELS}" TIMEOUT ${A_TIMEOUT}
                             ENVIRONMENT "${A_ENV}")
    else()
        include(GoogleTest)
        gtest_discover_tests(${name} PROPERTIES LABELS "${A_LABELS}" TIMEOUT ${A_TIMEOUT}
                             ENVIRONMENT "${A_ENV}" DISCOVERY_TIMEOUT 60)
    endif()
endfunction()

# Each fuzzer's CTest run stops after its runs or this many seconds, whichever comes first;
# longer campaigns run the fuzzer by hand or configure the fuzz tree with a larger
# -DPL_FUZZ_SECONDS.
set(PL_FUZZ_SECONDS 20 CACHE STRING "Upper bound of one fuzzer's CTest run, in seconds")

function(pl_add_fuzzer name)
    cmake_parse_arguments(A "" "CORPUS;RUNS" "SOURCES;LIBS" ${ARGN})
    if(NOT PL_FUZZ)
        return()
    endif()
    if(NOT A_RUNS)
        set(A_RUNS 20000)
    endif()
    add_executable(${name} ${A_SOURCES})
    target_link_libraries(${name} PRIVATE ${A_LIBS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    # libFuzzer writes new inputs into the first corpus folder; keep the committed
    # seeds read-only by fuzzing into a scratch copy.
    set(work ${CMAKE_CURRENT_BINARY_DIR}/${name}-corpus)
    add_test(NAME ${name}
             COMMAND ${CMAKE_COMMAND} -E env
                     sh -c "rm -rf '${work}' && mkdir -p '${work}' && exec \"$0\" -runs=${A_RUNS} -max_total_time=${PL_FUZZ_SECONDS} -rss_limit_mb=2048 '${work}' '${A_CORPUS}'"
                     $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES LABELS "fuzz" TIMEOUT 300)
endfunction()

function(pl_add_benchmark name)
    cmake_parse_arguments(A "" "" "SOURCES;LIBS;SMOKE_ARGS" ${ARGN})
    if(PL_FUZZ)
        return()
    endif()
    add_executable(${name} ${A_SOURCES})
    target_link_libraries(${name} PRIVATE ${A_LIBS})
    add_test(NAME ${name}-smoke COMMAND ${name} ${A_SMOKE_ARGS})
    set_tests_properties(${name}-smoke PROPERTIES LABELS "bench" TIMEOUT 300)
endfunction()

# pl_subsystem(<name> [LIBS ...] [WIN_LIBS ...])
#   Builds the subsystem folder it is called from by file-name convention:
#     foo.cpp / foo.h           portable logic -> library <name> (both trees)
#     foo_win.cpp / foo_win.h   Win32 side     -> library <name>_win (Windows only)
#     foo_test.cpp              unit tests of the logic -> <name>_tests
#     foo_win_test.cpp          tests against real Win32/Wine -> <name>_win_tests
#     foo_fuzz.cpp              libFuzzer target, seeds in fuzz/<foo_fuzz>/
#     foo_bench.cpp             benchmark executable
#   Code includes headers by subsystem path ("capture/text_split.h").
#   EXCLUDE names files the folder builds itself (a program's entry point, say).
function(pl_subsystem name)
    cmake_parse_arguments(A "" "" "LIBS;WIN_LIBS;TEST_LIBS;EXCLUDE" ${ARGN})
    set(dir ${CMAKE_CURRENT_SOURCE_DIR})
    file(GLOB all CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
    foreach(f ${A_EXCLUDE})
        list(REMOVE_ITEM all ${dir}/${f})
    endforeach()
    set(logic "")
    set(win "")
    set(tests "")
    set(win_tests "")
    set(fuzzers "")
    set(benches "")
    foreach(f ${all})
        get_filename_component(base ${f} NAME_WE)
        if(base MATCHES "_win_test$")
            list(APPEND win_tests ${f})
        elseif(base MATCHES "_test$")
            list(APPEND tests ${f})
        elseif(base MATCHES "_fuzz$")
            list(APPEND fuzzers ${f})
        elseif(base MATCHES "_bench$")
            list(APPEND benches ${f})
        elseif(base MATCHES "_win$")
            list(APPEND win ${f})
        else()
            list(APPEND logic ${f})
        endif()
    endforeach()

    get_filename_component(parent ${dir} DIRECTORY)
    if(logic)
        add_library(${name} STATIC ${logic})
        set_target_properties(${name} PROPERTIES LINKER_LANGUAGE CXX)
        target_include_directories(${name} PUBLIC ${parent})
        target_link_libraries(${name} PUBLIC ${A_LIBS})
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${parent})
        target_link_libraries(${name} INTERFACE ${A_LIBS})
    endif()
    if(WIN32 AND win)
        add_library(${name}_win STATIC ${win})
        set_target_properties(${name}_win PROPERTIES LINKER_LANGUAGE CXX)
        target_link_libraries(${name}_win PUBLIC ${name} ${A_WIN_LIBS})
    endif()
    if(tests)
        pl_add_test(${name}_tests SOURCES ${tests} LIBS ${name} ${A_TEST_LIBS} LABELS unit)
    endif()
    if(WIN32 AND win_tests AND TARGET ${name}_win)
        pl_add_test(${name}_win_tests SOURCES ${win_tests} LIBS ${name}_win ${A_TEST_LIBS}
                    LABELS win32 WINDOWS_ONLY)
    endif()
    foreach(f ${fuzzers})
        get_filename_component(base ${f} NAME_WE)
        pl_add_fuzzer(${base} SOURCES ${f} LIBS ${name} CORPUS ${dir}/fuzz/${base})
    endforeach()
    foreach(f ${benches})
        get_filename_component(base ${f} NAME_WE)
        pl_add_benchmark(${base} SOURCES ${f} LIBS ${name} SMOKE_ARGS --smoke)
    endforeach()
endfunction()
