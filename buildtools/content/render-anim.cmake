# One animation into one sequence (run by the content pipeline with cmake -P):
# the artgen poses one SVG per frame into STAGE, rsvg-convert renders each to
# <name>-NNNN.png, and the assetpack packs them with the engine's sequence builder into
# OUT. With KEEP_DIR the numbered frames are also copied there.
#   ANIM STAGE OUT ARTGEN ASSETPACK RSVG SCALE PALETTE (the palette file, or empty) DEPFILE KEEP_DIR
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE})
get_filename_component(out_dir ${OUT} DIRECTORY)
file(MAKE_DIRECTORY ${out_dir})
get_filename_component(name ${ANIM} NAME_WE)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    list(JOIN ARGN " " command)
    message(FATAL_ERROR "content: ${ANIM}: failed: ${command}")
  endif()
endfunction()

set(palette_args "")
if(PALETTE)
  set(palette_args --palette ${PALETTE})
endif()
run(${ARTGEN} frames ${ANIM} ${STAGE} ${palette_args} --depfile ${DEPFILE} ${OUT})
file(GLOB frames ${STAGE}/${name}-[0-9][0-9][0-9][0-9].svg)
list(SORT frames)
foreach(svg IN LISTS frames)
  string(REGEX REPLACE "\\.svg$" ".png" png ${svg})
  run(${RSVG} --zoom ${SCALE} --format png --output ${png} ${svg})
endforeach()
run(${ASSETPACK} bms ${STAGE}/${name}-*.png ${OUT})
if(KEEP_DIR)
  file(GLOB pngs ${STAGE}/${name}-[0-9][0-9][0-9][0-9].png)
  file(COPY ${pngs} DESTINATION ${KEEP_DIR})
endif()
