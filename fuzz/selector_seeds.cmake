# Seeds for the fuzz programs whose input starts with a selector byte: each seed is the
# selector digit followed by a shipped file, written as OUT/<digit>-<file name>.
# Usage: cmake -DOUT=dir -DLIST=file -P selector_seeds.cmake, the file holding the seeds
# as "digit|path;digit|path;...".
file(READ ${LIST} SEEDS)
file(MAKE_DIRECTORY ${OUT})
foreach(seed ${SEEDS})
  string(FIND "${seed}" "|" bar)
  string(SUBSTRING "${seed}" 0 ${bar} digit)
  math(EXPR from "${bar} + 1")
  string(SUBSTRING "${seed}" ${from} -1 path)
  get_filename_component(name "${path}" NAME)
  file(READ "${path}" text)
  file(WRITE "${OUT}/${digit}-${name}" "${digit}${text}")
endforeach()
