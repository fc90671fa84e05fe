#pragma once

#include <set>
#include <string>
#include <vector>

// A pass of the removal that lists what it would act on instead of acting. The
// stages run unchanged; every primitive that would change the machine (remove a
// file, folder, key or value, change a counter, stop or delete a service, end a
// process, start a program, save a list, schedule a deletion) asks whether a
// pass is on and, if so, records what it would act on, when that exists, and
// returns without acting. Decisions a removal takes after a step of its own
// (how many products still use a piece of the suite once this one is gone) see
// the listed steps as done: what a pass has listed as removed counts as gone.
namespace cleaning {

struct listed_item {
    std::wstring what;    // a fixed lower-case phrase: "file", "registry key", ...
    std::wstring where;   // full path, or a name where there is no path
    std::wstring action;  // what a removal would do, starting with a verb
    bool left_by_design;  // what the removal leaves alone on this Windows version
};

class removal_listing {
public:
    // Something the removal takes away; later steps of the pass see it gone.
    void would_remove(const std::wstring& what, const std::wstring& where,
                      const std::wstring& action);
    // Something it acts on without taking it away, or a decision it takes.
    void would_do(const std::wstring& what, const std::wstring& where, const std::wstring& action);

    // True when `where`, or a folder or key above it, was listed as removed.
    bool gone(const std::wstring& where) const;

    // While on, what is listed is what the removal leaves by design on this
    // Windows version: it is listed as such and not taken as gone.
    void set_left_by_design(bool left) { left_by_design_ = left; }

    const std::vector<listed_item>& items() const { return items_; }

private:
    void add(const std::wstring& what, const std::wstring& where, const std::wstring& action);

    std::vector<listed_item> items_;
    std::set<std::wstring> removed_;  // folded paths
    bool left_by_design_ = false;
};

// The pass in use, or nullptr while the removal acts.
removal_listing* current_removal_listing();

// Shorthands for the primitives: false and nothing listed without a pass.
bool listing_pass();
bool listed_as_gone(const std::wstring& where);

// Lists into `listing` while it lasts: the registry is opened for reading only,
// the log says nothing (what the stages would log is not what they do), and the
// clock does not wait (nothing that a wait waits for happens).
class listing_scope {
public:
    explicit listing_scope(removal_listing& listing);
    listing_scope(const listing_scope&) = delete;
    listing_scope& operator=(const listing_scope&) = delete;
    ~listing_scope();

private:
    removal_listing* previous_listing_;
    bool previous_read_only_;
    bool previous_mute_;
};

}  // namespace cleaning
