# Run by CTest as a script (cmake -P) with BUILD_DIR, WORK_DIR, SOURCE_DIR, CONSUMER_DIR,
# CXX, BUILD_TYPE, CXX_FLAGS, LINK_FLAGS, PLUGIN_DIR, PLUGIN_FILE and DESIGNER_TESTS set.
cmake_minimum_required(VERSION 3.25)

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${what} failed (${result}):\n${output}")
  endif()
  message(STATUS "${what}: done")
endfunction()

# Runs a program of the test and shows what it says.
function(run_program what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${what} failed (${result})")
  endif()
endfunction()

# Configures and builds a project against the installed package, as its user would.
function(build_project what source binary)
  run("${what}: configure" ${CMAKE_COMMAND} -S ${source} -B ${binary}
      -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_TYPE=${BUILD_TYPE}
      "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${LINK_FLAGS}")
  run("${what}: build" ${CMAKE_COMMAND} --build ${binary} -j2)
endfunction()

run("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# What is installed, and what is not.
foreach(file
    include/mapgrid/MapGridWidget.h include/mapgrid/grid/MapGrid.h include/mapgrid/data/MapData.h
    include/mapgrid/data/CellConverters.h include/mapgrid/platform/StringGrid.h
    lib/cmake/MapGrid/MapGridConfig.cmake lib/cmake/MapGrid/MapGridConfigVersion.cmake
    lib/cmake/MapGrid/MapGridTargets.cmake ${PLUGIN_DIR}/${PLUGIN_FILE})
  if(NOT EXISTS ${prefix}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
foreach(file include/mapgrid/platform/GdiPrivate.h include/mapgrid/platform/EventGuard.h)
  if(EXISTS ${prefix}/${file})
    message(FATAL_ERROR "a private header is installed: ${file}")
  endif()
endforeach()

# Version 1.x: a program asking for version 2 does not take it.
file(WRITE ${WORK_DIR}/version2/CMakeLists.txt [=[
cmake_minimum_required(VERSION 3.25)
project(version2 LANGUAGES NONE)
find_package(MapGrid 2 CONFIG QUIET)
if(MapGrid_FOUND)
  message(FATAL_ERROR "version ${MapGrid_VERSION} was taken for 2")
endif()
]=])
run("version 2 refused" ${CMAKE_COMMAND} -S ${WORK_DIR}/version2 -B ${WORK_DIR}/version2/build
    -DCMAKE_PREFIX_PATH=${prefix})

build_project("consumer" ${CONSUMER_DIR} ${WORK_DIR}/consumer)
run_program("consumer" ${WORK_DIR}/consumer/mapgrid_consumer)

# The README's example, its CMake lines and its program exactly as written there; beside it
# every installed header compiled on its own, to show it needs nothing that is not installed.
file(READ ${SOURCE_DIR}/README.md readme)
string(FIND "${readme}" "## Use it in your program" at)
if(at EQUAL -1)
  message(FATAL_ERROR "README.md has no section 'Use it in your program'")
endif()
string(SUBSTRING "${readme}" ${at} -1 section)
function(code_block language out)
  string(FIND "${section}" "```${language}\n" start)
  if(start EQUAL -1)
    message(FATAL_ERROR "README.md: no ${language} block in 'Use it in your program'")
  endif()
  string(LENGTH "```${language}\n" fence)
  math(EXPR start "${start} + ${fence}")
  string(SUBSTRING "${section}" ${start} -1 rest)
  string(FIND "${rest}" "```" end)
  string(SUBSTRING "${rest}" 0 ${end} block)
  set(${out} "${block}" PARENT_SCOPE)
endfunction()
code_block(cmake exampleCMake)
code_block(cpp exampleSource)
file(WRITE ${WORK_DIR}/example/CMakeLists.txt "${exampleCMake}")
file(WRITE ${WORK_DIR}/example/main.cpp "${exampleSource}")

file(GLOB_RECURSE headers RELATIVE ${prefix}/include ${prefix}/include/mapgrid/*.h)
set(units "")
foreach(header ${headers})
  string(MAKE_C_IDENTIFIER "${header}" name)
  file(WRITE ${WORK_DIR}/checks/headers/${name}.cpp "#include <${header}>\n")
  list(APPEND units headers/${name}.cpp)
endforeach()
list(JOIN units " " units)
file(WRITE ${WORK_DIR}/checks/CMakeLists.txt "
cmake_minimum_required(VERSION 3.25)
project(checks LANGUAGES CXX)
add_subdirectory(${WORK_DIR}/example example)
find_package(MapGrid 1 CONFIG REQUIRED)
add_library(installed_headers OBJECT ${units})
target_link_libraries(installed_headers PRIVATE MapGrid::widget)
")
build_project("README example and installed headers" ${WORK_DIR}/checks ${WORK_DIR}/checks/build)

# Designer's plugin, as installed.
set(ENV{MAPGRID_DESIGNER_PLUGIN} ${prefix}/${PLUGIN_DIR}/${PLUGIN_FILE})
run_program("installed Designer plugin" ${DESIGNER_TESTS})
