# Fails when an executable DEFINES an unmangled name of the tablet's services (bps_,
# screen_, navigator_, virtualkeyboard_, snd_, mmr_, strm_). Our device layer declares
# all of them in namespace ovdev; an unmangled definition would clash with the C
# libraries SDL loads (libasound has snd_* names of its own). Undefined references are
# fine. Also fails when the executable defines no ovdev name at all, so an empty probe
# cannot pass.
#   cmake -DNM=<nm> -DEXE=<executable> -P check_symbols.cmake
if(NOT NM OR NOT EXE)
  message(FATAL_ERROR "usage: cmake -DNM=nm -DEXE=program -P check_symbols.cmake")
endif()
execute_process(COMMAND ${NM} --defined-only ${EXE}
                OUTPUT_VARIABLE listing RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${EXE}: ${errors}")
endif()
string(REPLACE "\n" ";" lines "${listing}")
set(bad "")
set(ours 0)
foreach(line IN LISTS lines)
  # "<address> <type> <name>"
  if(line MATCHES "^[0-9a-fA-F]+ +[A-Za-z] +(.+)$")
    set(name "${CMAKE_MATCH_1}")
    if(name MATCHES "^(bps_|screen_|navigator_|virtualkeyboard_|snd_|mmr_|strm_)")
      list(APPEND bad "${line}")
    elseif(name MATCHES "^_ZN5ovdev")
      math(EXPR ours "${ours} + 1")
    endif()
  endif()
endforeach()
if(bad)
  string(REPLACE ";" "\n  " shown "${bad}")
  message(FATAL_ERROR "unmangled platform names defined in ${EXE}:\n  ${shown}")
endif()
if(ours EQUAL 0)
  message(FATAL_ERROR "${EXE} defines no ovdev names; the probe links nothing to check")
endif()
message(STATUS "${EXE}: ${ours} ovdev names, no unmangled platform names")
