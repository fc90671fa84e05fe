#include "support/text/charset.h"

#include "support/text/ascii.h"

#include <initializer_list>
#include <iterator>
#include <limits>
#include <utility>

#include "support/coding/variant.h"

namespace replay {
namespace unicode {

namespace {

struct charset_names {
    int codepage;
    std::initializer_list<const char*> names;
};

// Names not covered by the prefix rules below; the first occurrence of a name wins.
const charset_names known_names[] = {
    {-1, {"ascii", "usascii"}},
    {1252, {"isoir6", "isoir100", "iso646us"}},
    {65001, {"utf8", "unicode11utf8", "unicode20utf8"}},
    {65000, {"utf7", "unicode11utf7", "unicode20utf7"}},
    {708, {"asmo708"}},
    {28596, {"arabic", "csisolatinarabic", "ecma114", "isoir127"}},
    {28594, {"isoir110"}},
    {54936, {"gb18030"}},
    {936,
     {"csgb2312", "csgb231280", "csiso58gb231280", "cngb", "gbk", "gb2312", "gb231280", "isoir58"}},
    {52936, {"hzgb2312"}},
    {950, {"big5", "cnbig5", "csbig5", "xxbig5"}},
    {20000, {"xchinesecns"}},
    {20002, {"xchineseeten"}},
    {51936, {"euccn", "cseuccn", "xeuccn"}},
    {28595, {"csisolatincyrillic", "cyrillic", "isoir144"}},
    {20866, {"koi", "koi8", "koi8r"}},
    {21866, {"koi8u", "koi8ru"}},
    {28592, {"isoir101"}},
    {29001, {"xeuropa"}},
    {20106, {"xia5german"}},
    {20107, {"xia5swedish"}},
    {20108, {"xia5norwegian"}},
    {28597, {"csisolatingreek", "ecma118", "elot928", "greek", "greek8", "isoir126"}},
    {28598, {"csisolatinhebrew", "hebrew", "isoir138", "visual"}},
    {38598, {"iso88598i", "logical"}},
    {57002, {"xisciide"}},
    {57003, {"xisciibe"}},
    {57004, {"xisciita"}},
    {57005, {"xisciite"}},
    {57006, {"xisciias"}},
    {57007, {"xisciior"}},
    {57008, {"xisciika"}},
    {57009, {"xisciima"}},
    {57010, {"xisciigu"}},
    {57011, {"xisciipa"}},
    {50221, {"csiso2022jp", "iso2022jp"}},
    {932, {"csshiftjis", "cswindows31j", "mskanji", "shiftjis", "xsjis"}},
    {51932, {"eucjp", "cseucjp", "xeucjp"}},
    {949, {"ksc5601", "ksc56011987", "csksc5601", "csksc56011987", "isoir149", "korean"}},
    {1361, {"johab"}},
    {51949, {"euckr", "cseuckr", "xcseuckr"}},
    {874, {"tis620"}},
    {1254, {"isoir148"}},
    {10000, {"macintosh"}},
    {10001, {"xmacjapanese"}},
    {10002, {"xmacchinesetrad"}},
    {10003, {"xmackorean"}},
    {10004, {"xmacarabic"}},
    {10005, {"xmachebrew"}},
    {10006, {"xmacgreek"}},
    {10007, {"xmaccyrillic"}},
    {10008, {"xmacchinesesimp"}},
    {10029, {"xmacce"}},
    {10079, {"xmacicelandic"}},
};

const std::pair<int, const char*> preferred_names[] = {
    {37, "IBM037"},
    {437, "IBM437"},
    {500, "IBM500"},
    {708, "ASMO-708"},
    {720, "DOS-720"},
    {737, "ibm737"},
    {775, "ibm775"},
    {850, "ibm850"},
    {852, "ibm852"},
    {855, "IBM855"},
    {857, "ibm857"},
    {858, "IBM00858"},
    {860, "IBM860"},
    {861, "ibm861"},
    {862, "DOS-862"},
    {863, "IBM863"},
    {864, "IBM864"},
    {865, "IBM865"},
    {866, "cp866"},
    {869, "ibm869"},
    {870, "IBM870"},
    {874, "windows-874"},
    {875, "cp875"},
    {932, "shift_jis"},
    {936, "gb2312"},
    {949, "ks_c_5601-1987"},
    {950, "big5"},
    {1026, "IBM1026"},
    {1047, "IBM01047"},
    {1140, "IBM01140"},
    {1141, "IBM01141"},
    {1142, "IBM01142"},
    {1143, "IBM01143"},
    {1144, "IBM01144"},
    {1145, "IBM01145"},
    {1146, "IBM01146"},
    {1147, "IBM01147"},
    {1148, "IBM01148"},
    {1149, "IBM01149"},
    {1200, "utf-16"},
    {1201, "unicodeFFFE"},
    {1250, "windows-1250"},
    {1251, "windows-1251"},
    {1252, "windows-1252"},
    {1253, "windows-1253"},
    {1254, "windows-1254"},
    {1255, "windows-1255"},
    {1256, "windows-1256"},
    {1257, "windows-1257"},
    {1258, "windows-1258"},
    {1361, "Johab"},
    {10000, "macintosh"},
    {10001, "x-mac-japanese"},
    {10002, "x-mac-chinesetrad"},
    {10003, "x-mac-korean"},
    {10004, "x-mac-arabic"},
    {10005, "x-mac-hebrew"},
    {10006, "x-mac-greek"},
    {10007, "x-mac-cyrillic"},
    {10008, "x-mac-chinesesimp"},
    {10010, "x-mac-romanian"},
    {10017, "x-mac-ukrainian"},
    {10021, "x-mac-thai"},
    {10029, "x-mac-ce"},
    {10079, "x-mac-icelandic"},
    {10081, "x-mac-turkish"},
    {10082, "x-mac-croatian"},
    {12000, "utf-32"},
    {12001, "utf-32BE"},
    {20000, "x-Chinese_CNS"},
    {20001, "x-cp20001"},
    {20002, "x_Chinese-Eten"},
    {20003, "x-cp20003"},
    {20004, "x-cp20004"},
    {20005, "x-cp20005"},
    {20105, "x-IA5"},
    {20106, "x-IA5-German"},
    {20107, "x-IA5-Swedish"},
    {20108, "x-IA5-Norwegian"},
    {20127, "us-ascii"},
    {20261, "x-cp20261"},
    {20269, "x-cp20269"},
    {20273, "IBM273"},
    {20277, "IBM277"},
    {20278, "IBM278"},
    {20280, "IBM280"},
    {20284, "IBM284"},
    {20285, "IBM285"},
    {20290, "IBM290"},
    {20297, "IBM297"},
    {20420, "IBM420"},
    {20423, "IBM423"},
    {20424, "IBM424"},
    {20833, "x-EBCDIC-KoreanExtended"},
    {20838, "IBM-Thai"},
    {20866, "koi8-r"},
    {20871, "IBM871"},
    {20880, "IBM880"},
    {20905, "IBM905"},
    {20924, "IBM00924"},
    {20932, "EUC-JP"},
    {20936, "x-cp20936"},
    {20949, "x-cp20949"},
    {21025, "cp1025"},
    {21866, "koi8-u"},
    {28591, "iso-8859-1"},
    {28592, "iso-8859-2"},
    {28593, "iso-8859-3"},
    {28594, "iso-8859-4"},
    {28595, "iso-8859-5"},
    {28596, "iso-8859-6"},
    {28597, "iso-8859-7"},
    {28598, "iso-8859-8"},
    {28599, "iso-8859-9"},
    {28603, "iso-8859-13"},
    {28605, "iso-8859-15"},
    {29001, "x-Europa"},
    {38598, "iso-8859-8-i"},
    {50220, "iso-2022-jp"},
    {50221, "csISO2022JP"},
    {50222, "iso-2022-jp"},
    {50225, "iso-2022-kr"},
    {50227, "x-cp50227"},
    {51932, "euc-jp"},
    {51936, "EUC-CN"},
    {51949, "euc-kr"},
    {52936, "hz-gb-2312"},
    {54936, "GB18030"},
    {57002, "x-iscii-de"},
    {57003, "x-iscii-be"},
    {57004, "x-iscii-ta"},
    {57005, "x-iscii-te"},
    {57006, "x-iscii-as"},
    {57007, "x-iscii-or"},
    {57008, "x-iscii-ka"},
    {57009, "x-iscii-ma"},
    {57010, "x-iscii-gu"},
    {57011, "x-iscii-pa"},
    {65000, "utf-7"},
    {65001, "utf-8"},
};

// Numbered ISO 8859 parts: 28590 plus the part number.
const char* const iso_part_prefixes[] = {"iso8859", "latin", "csisolatin"};
constexpr int iso_part_base = 28590;
// The number after these is the code page itself.
const char* const codepage_prefixes[] = {"windows", "dos", "ibm", "cp"};

std::string normalised(const std::string& name) {
    std::string result;
    result.reserve(name.size());
    for (char c : name) {
        if (c == '-' || c == '_')
            continue;
        result += text::fold_ascii_case(c);
    }
    return result;
}

bool starts_with(const std::string& text, const char* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

int number_after(const std::string& text, const char* prefix) {
    return variant(text.substr(std::char_traits<char>::length(prefix))).as_integer();
}

// A part number so large that adding the base would overflow names no code page
// either; it stays one at the top of the range.
int iso_part(int number) {
    const long long codepage = static_cast<long long>(iso_part_base) + number;
    return codepage > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                      : static_cast<int>(codepage);
}

}  // namespace

const std::map<std::string, int>& charset_name_table() {
    static const std::map<std::string, int> table = [] {
        std::map<std::string, int> built;
        for (const charset_names& entry : known_names) {
            for (const char* name : entry.names)
                built.emplace(name, entry.codepage);
        }
        return built;
    }();
    return table;
}

const std::map<int, std::string>& preferred_name_table() {
    static const std::map<int, std::string> table(std::begin(preferred_names),
                                                  std::end(preferred_names));
    return table;
}

int codepage_from_name(const std::string& name) {
    const std::string key = normalised(name);
    const auto& table = charset_name_table();
    const auto found = table.find(key);
    if (found != table.end())
        return found->second;

    for (const char* prefix : iso_part_prefixes) {
        if (starts_with(key, prefix))
            return iso_part(number_after(key, prefix));
    }
    for (const char* prefix : codepage_prefixes) {
        if (starts_with(key, prefix))
            return number_after(key, prefix);
    }
    return -1;
}

std::string preferred_charset_name(int codepage) {
    const auto& table = preferred_name_table();
    const auto found = table.find(codepage);
    return found == table.end() ? std::string() : found->second;
}

}  // namespace unicode
}  // namespace replay
