# Coverage-guided fuzzing with clang's libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer.
# Included by the top-level CMakeLists.txt when MAPGRID_FUZZ is on, before the libraries, so
# that their code is instrumented for coverage too. script/fuzz configures such a tree
# (build-fuzz/) with clang, builds every target and runs each for a bounded time.
#
#   mapgrid_fuzz_target(NAME form_reader SOURCES FormReaderFuzz.cpp LIBS MapGrid::grid)
#
# adds the fuzzer NAME, a program with libFuzzer's main. Its seed corpus is fuzz/corpus/NAME/,
# kept in the repository; fuzz/dict/NAME.dict, when present, lists tokens of its input format
# that the fuzzer splices in. script/fuzz finds both, and the program, through
# build-fuzz/fuzz/fuzz-targets.txt. A target may be declared in any folder of the tree that a
# fuzzing build reads.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "MAPGRID_FUZZ needs clang (libFuzzer): configure with -DCMAKE_CXX_COMPILER=clang++")
endif()

add_compile_options(-fsanitize=fuzzer-no-link,address,undefined,float-cast-overflow -fno-sanitize-recover=all
                    -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined,float-cast-overflow)

function(mapgrid_fuzz_target)
  cmake_parse_arguments(F "" "NAME" "SOURCES;LIBS" ${ARGN})
  if(NOT F_NAME OR NOT F_SOURCES)
    message(FATAL_ERROR "mapgrid_fuzz_target: NAME and SOURCES are needed")
  endif()
  set(corpus "${PROJECT_SOURCE_DIR}/fuzz/corpus/${F_NAME}")
  if(NOT IS_DIRECTORY "${corpus}")
    message(FATAL_ERROR "mapgrid_fuzz_target: ${F_NAME} has no seed corpus in ${corpus}")
  endif()
  set(dict "${PROJECT_SOURCE_DIR}/fuzz/dict/${F_NAME}.dict")
  if(NOT EXISTS "${dict}")
    set(dict "-")
  endif()

  add_executable(${F_NAME} ${F_SOURCES})
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  # One line per target: name, program, seed corpus, dictionary (or -).
  set_property(GLOBAL APPEND_STRING PROPERTY MAPGRID_FUZZ_LIST "${F_NAME} $<TARGET_FILE:${F_NAME}> ${corpus} ${dict}\n")
endfunction()

# Once the whole tree is read, wherever its targets were declared.
function(mapgrid_fuzz_write_list)
  get_property(lines GLOBAL PROPERTY MAPGRID_FUZZ_LIST)
  file(GENERATE OUTPUT "${CMAKE_BINARY_DIR}/fuzz/fuzz-targets.txt" CONTENT "${lines}")
endfunction()
cmake_language(DEFER DIRECTORY "${CMAKE_SOURCE_DIR}" CALL mapgrid_fuzz_write_list)
