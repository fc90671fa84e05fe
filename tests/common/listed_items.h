#pragma once

#include <string>
#include <vector>

#include "cleaning/removal_listing.h"
#include "tests/common/text.h"

namespace testing_support {

// What a listing pass listed, as "what|where|action" in UTF-8, for matchers.
inline std::vector<std::string> listed_lines(const std::vector<cleaning::listed_item>& items) {
    std::vector<std::string> result;
    for (const cleaning::listed_item& item : items)
        result.push_back(utf8(item.what + L"|" + item.where + L"|" + item.action));
    return result;
}

// The lines a listing pass gives for `work`, which it runs.
template <typename Work>
std::vector<std::string> listed_by(Work&& work) {
    cleaning::removal_listing listing;
    {
        cleaning::listing_scope pass(listing);
        work();
    }
    return listed_lines(listing.items());
}

}  // namespace testing_support
