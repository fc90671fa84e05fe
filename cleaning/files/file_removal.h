#pragma once

#include <string>

// Removal of single files and folders, each logging its own result. Paths are
// narrow strings in the ANSI code page; none of these raises.
namespace cleaning {

// Deletes one file: "   %s removed", or "FAILED TO remove '%s'; error %d !".
// A listing pass (removal_listing.h) lists it as `listed_as` instead.
bool remove_file(const std::string& file, const wchar_t* listed_as = L"file");

// Removes the folder with everything in it, never reaching through a link inside
// it (see remove_tree). True when the tree was removed; what could be removed
// stays removed even when something else could not.
bool remove_folder(const std::string& folder, const wchar_t* listed_as = L"folder");

// Removes the folder only when it holds nothing, and logs why not otherwise.
void remove_empty_folder(const std::string& folder);

}  // namespace cleaning
