# Hostile-input checking builds, each in a build folder of its own (scripts/check_sanitizers.sh,
# scripts/fuzz.sh). Both options instrument every library of the build, so a finding in a
# reader shows where it happens, not only where it crashes.
option(VERIDANE_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(VERIDANE_FUZZ "Build the libFuzzer targets in fuzz/ (clang only; turns the sanitizers on)" OFF)

if(VERIDANE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "VERIDANE_FUZZ needs clang (CXX=clang++): libFuzzer comes with it")
  endif()
  set(VERIDANE_SANITIZE ON)
  # Coverage feedback for libFuzzer in every library; main() comes with the fuzz targets.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(VERIDANE_SANITIZE)
  # Undefined behaviour stops the test that hit it instead of printing and going on.
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

if(VERIDANE_SANITIZE AND CMAKE_BUILD_TYPE STREQUAL "RelWithDebInfo")
  # What a sanitizer report needs is file and line in its stack; -O1 keeps the frames whole and
  # builds much faster than -O2 with full debug information.
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    set(CMAKE_CXX_FLAGS_RELWITHDEBINFO "-O1 -gline-tables-only -DNDEBUG")
  else()
    set(CMAKE_CXX_FLAGS_RELWITHDEBINFO "-O1 -g1 -DNDEBUG")
  endif()
endif()
