#include "support/text/system_converter.h"

#include "support/text/unicode.h"

namespace replay {
namespace unicode {

namespace {

class windows_converter : public codepage_converter {
public:
    std::wstring to_wide(const std::string& bytes, int codepage) const override {
        return unicode::to_wide(bytes, codepage);
    }
    std::string to_narrow(const std::wstring& text, int codepage, bool strict) const override {
        return unicode::to_narrow(text, codepage, strict);
    }
};

}  // namespace

const codepage_converter& system_converter() {
    static const windows_converter instance;
    return instance;
}

}  // namespace unicode
}  // namespace replay
