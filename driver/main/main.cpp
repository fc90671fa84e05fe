#include "driver/removal_run.h"

// No arguments are taken: every name and path the removal needs is fixed.
int main() {
    return driver::run();
}
