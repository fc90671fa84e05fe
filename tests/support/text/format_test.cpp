#include "support/text/format.h"

#include <gtest/gtest.h>

namespace {

TEST(Format, GrowsPastTheFirstBufferInBothForms) {
    std::string narrow(3000, 'a');
    EXPECT_EQ("<" + narrow + ">", replay::format("<%s>", narrow.c_str()));
    std::wstring wide(3000, L'b');
    EXPECT_EQ(L"<" + wide + L"> 7", replay::format_w(L"<%ls> %d", wide.c_str(), 7));
}

TEST(Format, NarrowAndWideArgumentsMix) {
    EXPECT_EQ("Service found. Display Name: Pellane 2",
              replay::format("Service found. Display Name: %ls", L"Pellane 2"));
    EXPECT_EQ(L"key \"Run\" (2)", replay::format_w(L"key \"%s\" (%i)", "Run", 2));
}

}  // namespace
