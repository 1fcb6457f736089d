# The content pipeline: lays out a program directory (res://) from a content tree.
#
#   orvex_content_pipeline(SOURCE <content dir> OUTPUT <program dir> STAGE <work dir>
#                          REVIEW <sheet dir> ARTGEN <tool> SFXGEN <tool>
#                          ASSETPACK <tool> MAKE_TRACK <tool> [SCALE <zoom>])
#
# Tools are target names or program paths. Every output has its own command with its
# exact inputs (the includes and palette of an SVG through the dependency file the
# artgen writes), so a build with nothing changed runs nothing and a touched source
# remakes only what comes from it. Sources (art/, sfx/, music/, check-ignore.txt) never
# reach the program directory:
#   everything else                  copied as it is                    (program_dir)
#   art/**/<name>.svg                expanded, rendered: <name>.png     (content_art)
#   art/**/<name>.tga.svg            the same, then the engine's TGA: <name>.tga
#   art/**/<name>.anim               posed frames rendered and packed: <name>.bms
#   sfx/<name>.sfx                   data-sfx-WAV_22050_MONO/sfx/<name>.wav (content_sfx)
#   music/<name>.score               data-music-MP3_22050_STEREO/music/<name>.mp3 (music_tracks)
# SVGs whose name starts with '_' are includes and the SVG an animation poses is
# rendered only as its frames. The animations listed in ORVEX_ART_KEEP_FRAMES also
# keep their numbered frames (<name>-0000.png ...) beside the sequence.
# content_review (not built by default) writes a contact sheet per art directory and
# per sequence into REVIEW.

find_program(ORVEX_RSVG_CONVERT rsvg-convert)
if(NOT ORVEX_RSVG_CONVERT)
  message(FATAL_ERROR "rsvg-convert not found: install librsvg2-bin (scripts/deps.sh)")
endif()
find_program(ORVEX_LAME lame)

set(ORVEX_CONTENT_PIPELINE_DIR ${CMAKE_CURRENT_LIST_DIR})

# The program path of a tool given as a target name or a path.
function(orvex_tool_path tool out)
  if(TARGET ${tool})
    set(${out} $<TARGET_FILE:${tool}> PARENT_SCOPE)
  else()
    set(${out} ${tool} PARENT_SCOPE)
  endif()
endfunction()

function(orvex_content_pipeline)
  cmake_parse_arguments(P "" "SOURCE;OUTPUT;STAGE;REVIEW;ARTGEN;SFXGEN;ASSETPACK;MAKE_TRACK;SCALE" "" ${ARGN})
  if(NOT P_SCALE)
    set(P_SCALE 1)
  endif()
  foreach(tool ARTGEN SFXGEN ASSETPACK MAKE_TRACK)
    orvex_tool_path(${P_${tool}} ${tool})
  endforeach()
  set(src ${P_SOURCE})
  set(out ${P_OUTPUT})
  set(stage ${P_STAGE})

  # ---- copied files
  file(GLOB_RECURSE files CONFIGURE_DEPENDS RELATIVE ${src} ${src}/*)
  set(copies "")
  foreach(rel IN LISTS files)
    if(rel MATCHES "^(art|sfx|music)/" OR rel STREQUAL "check-ignore.txt")
      continue()
    endif()
    add_custom_command(OUTPUT ${out}/${rel}
      COMMAND ${CMAKE_COMMAND} -E copy ${src}/${rel} ${out}/${rel}
      DEPENDS ${src}/${rel}
      COMMENT "Content: copying ${rel}")
    list(APPEND copies ${out}/${rel})
  endforeach()
  add_custom_target(program_dir ALL DEPENDS ${copies})
  # Everything the pipeline puts into the program directory, for the content check.
  set_property(GLOBAL APPEND PROPERTY ORVEX_CONTENT_OUTPUTS ${copies})

  # ---- art
  set(palette ${src}/art/palette.txt)
  set(palette_args "")
  set(palette_file "")
  if(EXISTS ${palette})
    set(palette_args --palette ${palette})
    set(palette_file ${palette})
  endif()
  file(GLOB_RECURSE svgs CONFIGURE_DEPENDS RELATIVE ${src}/art ${src}/art/*.svg)
  file(GLOB_RECURSE anims CONFIGURE_DEPENDS RELATIVE ${src}/art ${src}/art/*.anim)
  # The SVGs the animations pose (their "source" lines).
  set(posed "")
  foreach(rel IN LISTS anims)
    file(STRINGS ${src}/art/${rel} lines REGEX "^[ \t]*source[ \t]")
    get_filename_component(dir ${rel} DIRECTORY)
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*source[ \t]+([^ \t#]+).*$" "\\1" file "${line}")
      if(dir)
        set(file ${dir}/${file})
      endif()
      get_filename_component(file ${src}/art/${file} ABSOLUTE)
      list(APPEND posed ${file})
    endforeach()
  endforeach()

  set(art_outputs "")
  set(review_dirs "")
  foreach(rel IN LISTS svgs)
    get_filename_component(name ${rel} NAME)
    get_filename_component(dir ${rel} DIRECTORY)
    get_filename_component(abs ${src}/art/${rel} ABSOLUTE)
    if(name MATCHES "^_" OR abs IN_LIST posed)
      continue()
    endif()
    string(REGEX REPLACE "\\.svg$" "" base ${rel})
    set(expanded ${stage}/art/${base}.svg)
    set(dep ${stage}/art/${base}.d)
    if(base MATCHES "\\.tga$")
      set(target ${out}/${base})
      set(png ${stage}/art/${base}.png)
      set(last COMMAND ${ASSETPACK} tga ${png} ${target})
      set(tools ${P_ARTGEN} ${P_ASSETPACK})
    else()
      set(target ${out}/${base}.png)
      set(png ${target})
      set(last "")
      set(tools ${P_ARTGEN})
    endif()
    get_filename_component(target_dir ${target} DIRECTORY)
    get_filename_component(stage_dir ${expanded} DIRECTORY)
    add_custom_command(OUTPUT ${target}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${target_dir} ${stage_dir}
      COMMAND ${ARTGEN} expand ${src}/art/${rel} ${expanded} ${palette_args} --depfile ${dep} ${target}
      COMMAND ${ORVEX_RSVG_CONVERT} --zoom ${P_SCALE} --format png --output ${png} ${expanded}
      ${last}
      DEPENDS ${src}/art/${rel} ${tools}
      DEPFILE ${dep}
      COMMENT "Content: art ${rel}")
    list(APPEND art_outputs ${target})
    list(APPEND review_${dir} ${target})
    list(APPEND review_dirs "${dir}")
  endforeach()

  set(sequences "")
  foreach(rel IN LISTS anims)
    string(REGEX REPLACE "\\.anim$" "" base ${rel})
    set(target ${out}/${base}.bms)
    set(keep "")
    if(base IN_LIST ORVEX_ART_KEEP_FRAMES)
      get_filename_component(keep ${target} DIRECTORY)
    endif()
    add_custom_command(OUTPUT ${target}
      COMMAND ${CMAKE_COMMAND} -DANIM=${src}/art/${rel} -DSTAGE=${stage}/frames/${base} -DOUT=${target}
              -DARTGEN=${ARTGEN} -DASSETPACK=${ASSETPACK} -DRSVG=${ORVEX_RSVG_CONVERT} -DSCALE=${P_SCALE}
              -DPALETTE=${palette_file} -DDEPFILE=${stage}/frames/${base}.d -DKEEP_DIR=${keep}
              -P ${ORVEX_CONTENT_PIPELINE_DIR}/render-anim.cmake
      DEPENDS ${src}/art/${rel} ${P_ARTGEN} ${P_ASSETPACK} ${ORVEX_CONTENT_PIPELINE_DIR}/render-anim.cmake
      DEPFILE ${stage}/frames/${base}.d
      COMMENT "Content: sequence ${rel}")
    list(APPEND art_outputs ${target})
    list(APPEND sequences ${base})
  endforeach()
  add_custom_target(content_art ALL DEPENDS ${art_outputs})
  set_property(GLOBAL APPEND PROPERTY ORVEX_CONTENT_OUTPUTS ${art_outputs})
  add_dependencies(content_art program_dir)

  # ---- contact sheets to look at
  set(sheets "")
  list(REMOVE_DUPLICATES review_dirs)
  foreach(dir IN LISTS review_dirs)
    set(label "${dir}")
    if(label STREQUAL "")
      set(label "top")
    endif()
    string(REPLACE "/" "-" label "${label}")
    set(sheet ${P_REVIEW}/dir-${label}.png)
    add_custom_command(OUTPUT ${sheet}
      COMMAND ${ASSETPACK} sheet ${sheet} ${review_${dir}}
      DEPENDS ${review_${dir}} ${P_ASSETPACK}
      COMMENT "Content: review sheet of ${dir}/")
    list(APPEND sheets ${sheet})
  endforeach()
  foreach(base IN LISTS sequences)
    string(REPLACE "/" "-" label "${base}")
    set(sheet ${P_REVIEW}/seq-${label}.png)
    add_custom_command(OUTPUT ${sheet}
      COMMAND ${ASSETPACK} sheet ${sheet} ${out}/${base}.bms
      DEPENDS ${out}/${base}.bms ${P_ASSETPACK}
      COMMENT "Content: review sheet of ${base}.bms")
    list(APPEND sheets ${sheet})
  endforeach()
  add_custom_target(content_review DEPENDS ${sheets})

  # ---- sound effects
  file(GLOB recipes CONFIGURE_DEPENDS ${src}/sfx/*.sfx)
  set(sounds "")
  foreach(recipe IN LISTS recipes)
    get_filename_component(name ${recipe} NAME_WE)
    set(wav ${out}/data-sfx-WAV_22050_MONO/sfx/${name}.wav)
    add_custom_command(OUTPUT ${wav}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${out}/data-sfx-WAV_22050_MONO/sfx
      COMMAND ${SFXGEN} ${recipe} ${wav}
      DEPENDS ${recipe} ${P_SFXGEN}
      COMMENT "Content: sound sfx/${name}")
    list(APPEND sounds ${wav})
  endforeach()
  add_custom_target(content_sfx ALL DEPENDS ${sounds})
  set_property(GLOBAL APPEND PROPERTY ORVEX_CONTENT_OUTPUTS ${sounds})
  add_dependencies(content_sfx program_dir)

  # ---- music (without lame the music package is left out and music stays silent)
  file(GLOB scores CONFIGURE_DEPENDS ${src}/music/*.score)
  set(tracks "")
  if(ORVEX_LAME)
    foreach(score IN LISTS scores)
      get_filename_component(name ${score} NAME_WE)
      set(wav ${stage}/music/${name}.wav)
      set(mp3 ${out}/data-music-MP3_22050_STEREO/music/${name}.mp3)
      add_custom_command(OUTPUT ${mp3}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}/music ${out}/data-music-MP3_22050_STEREO/music
        COMMAND ${MAKE_TRACK} ${score} ${wav}
        COMMAND ${ORVEX_LAME} --quiet -b 64 ${wav} ${mp3}
        DEPENDS ${score} ${P_MAKE_TRACK}
        COMMENT "Content: music music/${name}")
      list(APPEND tracks ${mp3})
    endforeach()
  else()
    message(STATUS "lame not found: the music package is not built")
  endif()
  add_custom_target(music_tracks ALL DEPENDS ${tracks})
  set_property(GLOBAL APPEND PROPERTY ORVEX_CONTENT_OUTPUTS ${tracks})
  add_dependencies(music_tracks program_dir)
endfunction()
