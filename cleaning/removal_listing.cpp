#include "cleaning/removal_listing.h"

#include "support/log/log.h"
#include "support/registry/key.h"
#include "support/text/ascii.h"

namespace cleaning {

namespace {

removal_listing* listing_in_use = nullptr;

const wchar_t left_by_design_action[] = L"leave: left by design on this Windows version";

std::wstring folded(std::wstring path) {
    while (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    return replay::text::fold_ascii_case(path);
}

}  // namespace

void removal_listing::add(const std::wstring& what, const std::wstring& where,
                          const std::wstring& action) {
    const std::wstring shown = left_by_design_ ? std::wstring(left_by_design_action) : action;
    for (const listed_item& item : items_) {
        if (item.what == what && item.action == shown && folded(item.where) == folded(where))
            return;
    }
    items_.push_back({what, where, shown, left_by_design_});
}

void removal_listing::would_remove(const std::wstring& what, const std::wstring& where,
                                   const std::wstring& action) {
    add(what, where, action);
    if (!left_by_design_)
        removed_.insert(folded(where));
}

void removal_listing::would_do(const std::wstring& what, const std::wstring& where,
                               const std::wstring& action) {
    add(what, where, action);
}

bool removal_listing::gone(const std::wstring& where) const {
    std::wstring path = folded(where);
    for (;;) {
        if (removed_.count(path) != 0)
            return true;
        const std::size_t slash = path.rfind(L'\\');
        if (slash == std::wstring::npos || slash == 0)
            return false;
        path.erase(slash);
    }
}

removal_listing* current_removal_listing() {
    return listing_in_use;
}

bool listing_pass() {
    return listing_in_use != nullptr;
}

bool listed_as_gone(const std::wstring& where) {
    return listing_in_use != nullptr && listing_in_use->gone(where);
}

listing_scope::listing_scope(removal_listing& listing)
    : previous_listing_(listing_in_use),
      previous_read_only_(replay::registry2::use_read_only_keys(true)),
      previous_mute_(replay::log::mute(true)) {
    listing_in_use = &listing;
}

listing_scope::~listing_scope() {
    listing_in_use = previous_listing_;
    replay::registry2::use_read_only_keys(previous_read_only_);
    replay::log::mute(previous_mute_);
}

}  // namespace cleaning
