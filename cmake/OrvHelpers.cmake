# orv_add_test(<name> SOURCES <files...> [LIBS <targets...>])
# One QtTest executable registered with CTest; GUI tests run offscreen and
# every test runs in the C locale so number formatting is the same everywhere.
function(orv_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE Qt5::Test ${T_LIBS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C;LANG=C;TZ=UTC"
    TIMEOUT 300)
endfunction()

# orv_add_fuzzer(<name> <source>): a libFuzzer harness over the core library.
function(orv_add_fuzzer name source)
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE orvcore)
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endfunction()
