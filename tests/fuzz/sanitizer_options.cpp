// Linked into every fuzz target: any undefined behaviour ends the run (so that
// libFuzzer keeps the input), except the reports listed in ubsan.supp.
extern "C" const char* __ubsan_default_options() {
    return "halt_on_error=1:print_stacktrace=1:suppressions=" TVR_UBSAN_SUPPRESSIONS;
}
