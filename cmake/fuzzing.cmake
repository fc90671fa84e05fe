# TVR_BUILD_FUZZERS: a native tree, built with clang, in which every library is
# compiled with AddressSanitizer, UBSan and libFuzzer's coverage instrumentation
# (Boost.Serialization included, so the fuzzers see into the archive code), and
# tests/fuzz adds one libFuzzer executable per parser of outside data.
option(TVR_BUILD_FUZZERS "Build the libFuzzer targets (native tree, clang only)" OFF)
if(TVR_BUILD_FUZZERS)
  if(WIN32 OR NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "TVR_BUILD_FUZZERS needs a native tree configured with clang++")
  endif()
  # UBSan stays recoverable so that one known report inside Boost can be suppressed
  # (tests/fuzz/ubsan.supp); the fuzzers still stop at every other report.
  set(tvr_sanitizers -fsanitize=address,undefined)
  add_compile_options(${tvr_sanitizers} -fsanitize=fuzzer-no-link -fno-omit-frame-pointer -g)
  add_link_options(${tvr_sanitizers})
endif()
