# The content check as a build step fails the build: the built program directory is
# copied, one file of the copy is broken (a byte outside ASCII in texts.xml), and a
# project of its own with the check in ALL is built over it. The build must fail and
# name the broken file; built again, it runs the check again and fails again.
#   PROGRAM_DIR CHECK_CMAKE TOOL WORK CMAKE_EXE NINJA
cmake_minimum_required(VERSION 3.20)

function(fail what)
  message(FATAL_ERROR "content check build step: ${what}")
endfunction()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/project)
execute_process(COMMAND cp -RL ${PROGRAM_DIR} ${WORK}/native RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT EXISTS ${WORK}/native/texts.xml)
  fail("cannot copy ${PROGRAM_DIR}")
endif()
string(ASCII 233 e_acute)
file(APPEND ${WORK}/native/texts.xml "<!-- caf${e_acute} -->\n")

file(WRITE ${WORK}/project/CMakeLists.txt "
cmake_minimum_required(VERSION 3.20)
project(content_check_fixture NONE)
include(${CHECK_CMAKE})
orvex_content_check(NAME content_check ALL PROGRAM_DIR ${WORK}/native TOOL ${TOOL}
  STAMP \${CMAKE_BINARY_DIR}/content-check.stamp DEPENDS ${WORK}/native/texts.xml)
")
execute_process(COMMAND ${CMAKE_EXE} -S ${WORK}/project -B ${WORK}/build -G Ninja -DCMAKE_MAKE_PROGRAM=${NINJA}
                RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT status EQUAL 0)
  fail("the project does not configure:\n${log}")
endif()
foreach(round 1 2)
  execute_process(COMMAND ${NINJA} -C ${WORK}/build RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
  if(status EQUAL 0)
    fail("build ${round} passed over a broken tree:\n${log}")
  endif()
  if(NOT log MATCHES "content: texts.xml: line [0-9]+: byte 0xe9 is not printable ASCII")
    fail("build ${round} does not name the broken file:\n${log}")
  endif()
  if(EXISTS ${WORK}/build/content-check.stamp)
    fail("a failed check left its stamp")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK})
