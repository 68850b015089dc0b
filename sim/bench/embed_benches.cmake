# Writes OUTPUT, a C++ file holding the text of every bench file in BENCH_DIR.
file(GLOB benches ${BENCH_DIR}/*.toml)
list(SORT benches)
set(body "")
foreach(bench ${benches})
  get_filename_component(name ${bench} NAME_WE)
  file(READ ${bench} text)
  string(FIND "${text}" ")veridane_bench\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${bench} contains the text that ends the embedded string")
  endif()
  string(APPEND body "      {\"${name}\", R\"veridane_bench(${text})veridane_bench\"},\n")
endforeach()
file(WRITE ${OUTPUT}.tmp
"// Generated from sim/benches by embed_benches.cmake; edit the .toml files instead.
#include \"sim/bench/embedded_bench_texts.h\"

namespace veridane::sim {

const std::vector<EmbeddedBenchText>& EmbeddedBenchTexts() {
  static const std::vector<EmbeddedBenchText> benches = {
${body}  };
  return benches;
}

}  // namespace veridane::sim
")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
