#pragma once

#include <cstdint>
#include <string>

namespace cleaning {

// Removes `root` with everything below it and returns the number of entries
// removed (0 when `root` does not exist). Unlike a plain recursive delete it
// never reaches through a link: a symbolic link or junction inside the tree is
// removed as a link, and a link that this system can only delete by deleting
// what it points to (Wine's view of a Unix symbolic link) is left in place.
// Entries that cannot be removed are skipped and the walk goes on; afterwards
// the first failure is raised as boost::filesystem::filesystem_error, with the
// system's last error set to its code.
uintmax_t remove_tree(const std::wstring& root);

// True when deleting `path` would act on another file or folder than the one
// the path names (see remove_tree). `path` need not exist.
bool is_unremovable_link(const std::wstring& path);

}  // namespace cleaning
