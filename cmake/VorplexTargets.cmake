# Shared build rules: warnings, sanitizers and the shapes of our targets.

function(vorplex_wanted dir out)
  if(VORPLEX_ONLY STREQUAL "" OR "${dir}" IN_LIST VORPLEX_ONLY)
    set(${out} TRUE PARENT_SCOPE)
  else()
    set(${out} FALSE PARENT_SCOPE)
  endif()
endfunction()

add_library(vorplex_options INTERFACE)
target_compile_options(vorplex_options INTERFACE -Wall -Wextra -Wpedantic)
if(VORPLEX_WERROR)
  target_compile_options(vorplex_options INTERFACE -Werror)
endif()
if(VORPLEX_SANITIZE)
  target_compile_options(vorplex_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(vorplex_options INTERFACE -fsanitize=address,undefined)
endif()

# vorplex_library(NAME <folder> SOURCES ... [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
# Makes the static library vorplex_<folder> (alias vorplex::<folder>) whose public headers live
# in src/<folder>/include/<folder>/ and whose internals stay beside the sources.
function(vorplex_library)
  cmake_parse_arguments(ARG "" "NAME" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
  set(target vorplex_${ARG_NAME})
  add_library(${target} STATIC ${ARG_SOURCES})
  add_library(vorplex::${ARG_NAME} ALIAS ${target})
  target_include_directories(${target}
    PUBLIC "${CMAKE_CURRENT_SOURCE_DIR}/include"
    PRIVATE "${CMAKE_CURRENT_SOURCE_DIR}")
  target_link_libraries(${target} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE vorplex_options ${ARG_PRIVATE_LIBS})
endfunction()

# vorplex_test(NAME <name> SOURCES ... LIBS ... [DISPLAY] [TIMEOUT s])
# A GoogleTest executable registered with CTest, one CTest test per test case.
# DISPLAY marks tests that need an X display (the test script runs CTest under xvfb-run); they
# run one at a time.
# Tests see VORPLEX_TEST_DATA_DIR (the build's generated data) and VORPLEX_SOURCE_DIR as
# compile definitions; a test that needs environment variables (SDL drivers) sets them itself.
function(vorplex_test)
  cmake_parse_arguments(ARG "DISPLAY" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${ARG_NAME} ${ARG_SOURCES})
  target_link_libraries(${ARG_NAME} PRIVATE vorplex_options vorplex::testsupport ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  set_target_properties(${ARG_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/tests")
  set(labels unit)
  set(serial FALSE)
  if(ARG_DISPLAY)
    # Windows on one shared virtual screen fight over focus: run these one at a time.
    set(labels display)
    set(serial TRUE)
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  target_compile_definitions(${ARG_NAME} PRIVATE
    VORPLEX_TEST_DATA_DIR="${VORPLEX_DATA_DIR}" VORPLEX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  gtest_discover_tests(${ARG_NAME}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
    PROPERTIES LABELS "${labels}" TIMEOUT ${ARG_TIMEOUT} RUN_SERIAL ${serial})
endfunction()
