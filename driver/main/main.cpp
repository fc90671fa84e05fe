#include "support/text/unicode.h"
#include <cstdio>
int main() {
    std::printf("%s\n", replay::unicode::to_narrow(L"Tarvello", 0, true).c_str());
    return 0;
}
