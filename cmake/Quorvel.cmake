# Shared build rules: every area folder is one static library whose sources are the .cpp files of the
# folder (and of its named subfolders), so adding a file needs no edit here.

set(QUORVEL_WARNINGS -Wall -Wextra -Wpedantic)
set(QUORVEL_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)

# A fuzz build instruments every library for coverage, not only the targets' own files.
if(QUORVEL_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(QUORVEL_SANITIZE)
  add_compile_options(${QUORVEL_SANITIZER_FLAGS})
  add_link_options(${QUORVEL_SANITIZER_FLAGS})
endif()

# quorvel_area(<target> DIRS <dir>... [QT <component>...] [DEPS <target>...])
function(quorvel_area target)
  cmake_parse_arguments(ARG "" "" "DIRS;QT;DEPS" ${ARGN})
  set(sources)
  foreach(dir IN LISTS ARG_DIRS)
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND sources ${found})
  endforeach()
  if(NOT sources)
    # An area that has no code yet still links, so its dependants can name it.
    set(stub ${CMAKE_CURRENT_BINARY_DIR}/${target}_empty.cpp)
    file(WRITE ${stub} "// ${target} has no sources yet.\n")
    set(sources ${stub})
  endif()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(${target} PRIVATE ${QUORVEL_WARNINGS})
  if(QUORVEL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  foreach(component IN LISTS ARG_QT)
    target_link_libraries(${target} PUBLIC Qt6::${component})
  endforeach()
  target_link_libraries(${target} PUBLIC ${ARG_DEPS})
endfunction()

# quorvel_test(<name> DIRS <dir>... DEPS <target>... [MAIN <target>]): one GoogleTest executable, its cases
# found at build time. MAIN is the library holding main() (quorvel_test_main unless given).
function(quorvel_test name)
  cmake_parse_arguments(ARG "" "MAIN" "DIRS;DEPS" ${ARGN})
  if(NOT ARG_MAIN)
    set(ARG_MAIN quorvel_test_main)
  endif()
  set(sources)
  foreach(dir IN LISTS ARG_DIRS)
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND sources ${found})
  endforeach()
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_compile_options(${name} PRIVATE ${QUORVEL_WARNINGS})
  target_compile_definitions(${name} PRIVATE QUORVEL_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data")
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} ${ARG_MAIN} quorvel_lsan_suppressions GTest::gtest GTest::gmock)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# Leak reports from system libraries are suppressed by tests/support/lsan.supp, compiled into every test
# and fuzz binary so that a binary run by hand behaves as under CTest. An object library, so the linker
# keeps the hook that nothing in our code calls.
file(READ ${PROJECT_SOURCE_DIR}/tests/support/lsan.supp QUORVEL_LSAN_SUPPRESSIONS)
configure_file(${PROJECT_SOURCE_DIR}/tests/support/LsanSuppressions.cpp.in
  ${PROJECT_BINARY_DIR}/LsanSuppressions.cpp @ONLY)
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/tests/support/lsan.supp)
add_library(quorvel_lsan_suppressions OBJECT ${PROJECT_BINARY_DIR}/LsanSuppressions.cpp)
