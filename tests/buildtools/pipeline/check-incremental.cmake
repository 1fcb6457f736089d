# Builds the fixture content tree with the content pipeline in a project of its own and
# checks the build's shape: every output made and no source copied, a second build runs
# no content command, touching one source remakes only what comes from it, and a
# machine without rsvg-convert stops at configure time with the install hint.
#   FIXTURE PIPELINE WORK ARTGEN SFXGEN ASSETPACK MAKE_TRACK CMAKE_EXE NINJA
cmake_minimum_required(VERSION 3.20)

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/project)
file(COPY ${FIXTURE}/content DESTINATION ${WORK})
set(src ${WORK}/content)
set(out ${WORK}/build/app/native)
file(WRITE ${WORK}/project/CMakeLists.txt "
cmake_minimum_required(VERSION 3.20)
project(content_fixture NONE)
set(ORVEX_ART_KEEP_FRAMES units/walker)
include(${PIPELINE})
orvex_content_pipeline(SOURCE ${src} OUTPUT ${out} STAGE ${WORK}/build/stage REVIEW ${WORK}/build/review
  ARTGEN ${ARTGEN} SFXGEN ${SFXGEN} ASSETPACK ${ASSETPACK} MAKE_TRACK ${MAKE_TRACK})
")

function(fail what)
  message(FATAL_ERROR "content pipeline: ${what}")
endfunction()

execute_process(COMMAND ${CMAKE_EXE} -S ${WORK}/project -B ${WORK}/build -G Ninja -DCMAKE_MAKE_PROGRAM=${NINJA}
                RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT status EQUAL 0)
  fail("the fixture project does not configure:\n${log}")
endif()

# The content commands a build ran (their comments), sorted.
function(build_commands out_var)
  execute_process(COMMAND ${NINJA} -C ${WORK}/build ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
  if(NOT status EQUAL 0)
    fail("the build failed:\n${log}")
  endif()
  string(REGEX MATCHALL "Content: [^\n]*" commands "${log}")
  list(SORT commands)
  set(${out_var} "${commands}" PARENT_SCOPE)
endfunction()

# Two copies, three pictures, a sequence, a sound and (with lame) a track.
find_program(LAME lame)
set(want 7)
if(LAME)
  set(want 8)
endif()
build_commands(first)
list(LENGTH first count)
if(NOT count EQUAL want)
  fail("the first build ran ${count} content commands, not ${want}: ${first}")
endif()

set(made data/a.xml prog.xml ui/button.png ui/icon.png fx/spark.tga units/walker.bms units/walker-0000.png
    units/walker-0003.png data-sfx-WAV_22050_MONO/sfx/beep.wav)
if(LAME)
  list(APPEND made data-music-MP3_22050_STEREO/music/tune.mp3)
endif()
foreach(f IN LISTS made)
  if(NOT EXISTS ${out}/${f})
    fail("${f} was not made")
  endif()
endforeach()
foreach(f art sfx music _shared.png units/walker-body.png ui/button.svg fx/spark.tga.png)
  if(EXISTS ${out}/${f})
    fail("the source ${f} reached the program directory")
  endif()
endforeach()

# Nothing changed: a dry run lists no content command.
build_commands(again -n)
if(again)
  fail("a build with nothing changed would run: ${again}")
endif()

# Touching one source remakes only its outputs ("source=command|command...").
set(cases
  "art/ui/button.svg=Content: art ui/button.svg"
  "art/_shared.svg=Content: art ui/button.svg"
  "art/fx/spark.tga.svg=Content: art fx/spark.tga.svg"
  "art/units/walker.anim=Content: sequence units/walker.anim"
  "art/units/walker-body.svg=Content: sequence units/walker.anim"
  "sfx/beep.sfx=Content: sound sfx/beep"
  "data/a.xml=Content: copying data/a.xml"
  "art/palette.txt=Content: art fx/spark.tga.svg|Content: art ui/button.svg|Content: art ui/icon.svg|Content: sequence units/walker.anim")
if(LAME)
  list(APPEND cases "music/tune.score=Content: music music/tune")
endif()
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" case "${case}")
  string(REPLACE "=" ";" parts "${case}")
  list(GET parts 0 touched)
  list(SUBLIST parts 1 -1 expected)
  # A moment later than the outputs, also on file systems with coarse time stamps.
  execute_process(COMMAND ${CMAKE_EXE} -E sleep 0.05)
  file(TOUCH ${src}/${touched})
  build_commands(ran)
  if(NOT ran STREQUAL expected)
    fail("touching ${touched} ran [${ran}], expected [${expected}]")
  endif()
  build_commands(after -n)
  if(after)
    fail("after touching ${touched}, another build would run: ${after}")
  endif()
endforeach()

# The review sheets are made on request: one per art directory, one per sequence.
build_commands(review content_review)
list(LENGTH review count)
if(NOT count EQUAL 3 OR NOT EXISTS ${WORK}/build/review/seq-units-walker.png OR NOT EXISTS ${WORK}/build/review/dir-ui.png)
  fail("the review target ran ${count} commands: ${review}")
endif()

# Without rsvg-convert the configure stops with the install hint.
execute_process(COMMAND ${CMAKE_EXE} -S ${WORK}/project -B ${WORK}/build-nosvg -G Ninja -DCMAKE_MAKE_PROGRAM=${NINJA}
                        -DCMAKE_FIND_ROOT_PATH=${WORK}/nowhere -DCMAKE_FIND_ROOT_PATH_MODE_PROGRAM=ONLY
                RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
string(FIND "${log}" "rsvg-convert not found: install librsvg2-bin (scripts/deps.sh)" at)
if(status EQUAL 0 OR at LESS 0)
  fail("a configure without rsvg-convert did not stop with the hint:\n${log}")
endif()
file(REMOVE_RECURSE ${WORK})
message(STATUS "content pipeline: all outputs made, no-op and single-output rebuilds hold")
