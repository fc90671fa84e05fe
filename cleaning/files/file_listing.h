#pragma once

#include <string>

// How the file primitives see the machine during a listing pass
// (cleaning/removal_listing.h): what is on disk, less what the pass has listed
// as removed.
namespace cleaning {

// `path` as a listing names it: backslashes only, no trailing backslash.
std::wstring listed_path(std::wstring path);

// True when `path` is on disk and the pass has not listed it as removed.
bool present_in_listing(const std::wstring& path);

// True when `folder` is on disk and every entry in it is listed as removed.
bool emptied_in_listing(const std::wstring& folder);

}  // namespace cleaning
