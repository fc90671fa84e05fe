#pragma once

#include <cstdint>
#include <string>

#include <boost/filesystem/operations.hpp>
#include <boost/filesystem/path.hpp>

// Per-user copies of the brand's folders in every user profile. Paths are narrow
// strings in the ANSI code page.
namespace cleaning {

// Removes "AppData/Local/VirtualStore/ProgramData/Corvane" from every profile and
// returns the number of entries removed, or -1 when the current user's profile
// folder is unknown. Raises when the folder of all profiles cannot be listed; a
// listing that cannot go on ends the walk with a log line.
int rmove_virtual_store();

// Removes `relative` (a folder path relative to a user profile) from every
// profile except the shared one. Logs its failures; never raises.
void remove_dir_in_userappdata_for_allprofiles(const std::string& relative);

// The walk behind it: removes `relative` from every entry of `profiles` except
// `shared` (compared exactly); per-entry failures are logged and skipped, a
// failure to list `profiles` is raised.
void remove_dir_in_profiles(const boost::filesystem::path& profiles,
                            const boost::filesystem::path& shared, const std::string& relative);

// The removal each profile's folder goes through: remove_tree, unless a test put
// in its place one whose failure the thread's last error no longer tells, since
// whether that error survives the unwinding depends on the C++ runtime.
using profile_tree_removal = std::uintmax_t (*)(const std::wstring& root);
// Installs `replacement`; nullptr restores remove_tree.
void use_profile_tree_removal(profile_tree_removal replacement);

// The step from one profile to the next: the listing's own, unless a test put
// in its place one that fails, as a listing can on Windows (a share that goes
// away) but never does under Wine.
using profile_listing_step = void (*)(boost::filesystem::directory_iterator& entry,
                                      boost::system::error_code& failure);
// Installs `replacement`; nullptr restores the listing's own step.
void use_profile_listing_step(profile_listing_step replacement);

// The part of `full` after `base` (compared without regard to the case of A to
// Z), without one leading backslash; empty when `full` does not start with `base`.
std::string make_relative_path(const std::string& full, const std::string& base);

}  // namespace cleaning
