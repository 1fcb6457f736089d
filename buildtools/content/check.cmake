# The build-time content check as a build step.
#
#   orvex_content_check(NAME <target> PROGRAM_DIR <dir> TOOL <target or program>
#                       STAMP <file> [IGNORE <check-ignore.txt>] [MUSIC] [ALL]
#                       [SOURCE_ROOT <dir> CODE <dir>...] [DEPENDS <file>...] [AFTER <target>...])
#
# Runs orvex-contentcheck over the program directory once everything in DEPENDS (the
# program directory's files) and the AFTER targets are made; any problem fails the
# build. The stamp is written only when the check passes, so a build with nothing
# changed runs nothing and a failed check runs again next time. CODE names the
# application source directories whose asset names must resolve (those that exist).
include_guard(GLOBAL)

function(orvex_content_check)
  cmake_parse_arguments(C "MUSIC;ALL" "NAME;PROGRAM_DIR;TOOL;STAMP;IGNORE;SOURCE_ROOT" "CODE;DEPENDS;AFTER" ${ARGN})
  set(tool ${C_TOOL})
  set(tool_dep "")
  if(TARGET ${C_TOOL})
    set(tool $<TARGET_FILE:${C_TOOL}>)
    set(tool_dep ${C_TOOL})
  endif()
  set(args "")
  set(deps ${C_DEPENDS} ${tool_dep})
  if(C_IGNORE)
    list(APPEND args --ignore ${C_IGNORE})
    if(EXISTS ${C_IGNORE})
      list(APPEND deps ${C_IGNORE})
    endif()
  endif()
  if(C_MUSIC)
    list(APPEND args --music)
  endif()
  if(C_SOURCE_ROOT)
    list(APPEND args --source-root ${C_SOURCE_ROOT})
    foreach(dir IN LISTS C_CODE)
      if(IS_DIRECTORY ${C_SOURCE_ROOT}/${dir})
        list(APPEND args --code ${C_SOURCE_ROOT}/${dir})
        file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${C_SOURCE_ROOT}/${dir}/*.cpp ${C_SOURCE_ROOT}/${dir}/*.h
             ${C_SOURCE_ROOT}/${dir}/*.c ${C_SOURCE_ROOT}/${dir}/*.hpp)
        list(APPEND deps ${sources})
      endif()
    endforeach()
  endif()
  add_custom_command(OUTPUT ${C_STAMP}
    COMMAND ${tool} ${args} ${C_PROGRAM_DIR}
    COMMAND ${CMAKE_COMMAND} -E touch ${C_STAMP}
    DEPENDS ${deps}
    COMMENT "Content: checking ${C_PROGRAM_DIR}"
    VERBATIM)
  set(all "")
  if(C_ALL)
    set(all ALL)
  endif()
  add_custom_target(${C_NAME} ${all} DEPENDS ${C_STAMP})
  if(C_AFTER)
    add_dependencies(${C_NAME} ${C_AFTER})
  endif()
endfunction()
