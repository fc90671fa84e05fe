#include "suite/portable/packed_guid.h"

#include <gtest/gtest.h>

using suite::pack_guid;
using suite::unpack_guid;

TEST(PackedGuid, PacksTheProductsUpgradeCode) {
    EXPECT_EQ(L"4C19A0E5D2B738F4C961D2B8E4A7305F",
              pack_guid(L"{5E0A91C4-7B2D-4F83-9C16-2D8B4E7A03F5}"));
}

TEST(PackedGuid, PackingIgnoresCaseBracesAndDashes) {
    EXPECT_EQ(pack_guid(L"{5E0A91C4-7B2D-4F83-9C16-2D8B4E7A03F5}"),
              pack_guid(L"5e0a91c47b2d4f839c162d8b4e7a03f5"));
    // Letters beyond F and other characters are not digits of a GUID.
    EXPECT_EQ(pack_guid(L"5E0A91C47B2D4F839C162D8B4E7A03F5"),
              pack_guid(L" {5E0A91C4-7B2D-4F83-9C16-2D8B4E7A03F5} xyz"));
}

TEST(PackedGuid, UnpackGivesTheBracedFormBack) {
    EXPECT_EQ(L"{5E0A91C4-7B2D-4F83-9C16-2D8B4E7A03F5}",
              unpack_guid(L"4C19A0E5D2B738F4C961D2B8E4A7305F"));
    const std::wstring guid = L"{00112233-4455-6677-8192-A3B4C5D6E7F8}";
    EXPECT_EQ(L"332211005544776618293A4B5C6D7E8F", pack_guid(guid));
    EXPECT_EQ(guid, unpack_guid(pack_guid(guid)));
}

TEST(PackedGuid, ShortTextsDoNotReadPastTheirEnd) {
    EXPECT_EQ(L"", pack_guid(L""));
    EXPECT_EQ(L"321", pack_guid(L"123"));
    EXPECT_EQ(L"{}", unpack_guid(L""));
    EXPECT_EQ(L"{87654321-A}", unpack_guid(L"12345678A"));
    // An odd digit at the end of the byte pairs keeps its place.
    EXPECT_EQ(L"1", pack_guid(L"1").substr(0, 1));
    EXPECT_EQ(17u, pack_guid(L"0123456789ABCDEF0").size());
}
