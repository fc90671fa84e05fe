#pragma once

#include <string>
#include <vector>

#include "cleaning/product_cleaner.h"
#include "cleaning/removal_listing.h"
#include "driver/stage_sequence.h"

// What a removal would act on, listed by the removal's own stages without acting
// (cleaning/removal_listing.h): the report of a /report run and, after a quiet
// removal, what is left of the product.
namespace driver {

// Runs `stages` as a listing pass, each under its stage guard, and answers what
// they would act on. Nothing on the machine changes and nothing is logged.
std::vector<cleaning::listed_item> list_removal(const std::vector<stage>& stages,
                                                cleaning::product_cleaner& context);

// The detected version and install folder, with the rule that chose each,
// as the report's first lines.
std::vector<cleaning::listed_item> detection_items(const cleaning::product_cleaner& context,
                                                   const std::string& folder_rule);

// One line of the report: WHAT, WHERE and ACTION separated by tabs.
std::wstring report_line(const cleaning::listed_item& item);

// True for an item that says something of the product is there: not a fact of
// the detection, not kept for another product, not left by design.
bool counts_as_found(const cleaning::listed_item& item);

// A /report run's exit code: found, or nothing found.
int report_exit_code(const std::vector<cleaning::listed_item>& items);

// True when `item` is a file or folder that goes at the next restart: it is
// `scheduled`, or a folder holding nothing but such entries.
bool waits_for_restart(const cleaning::listed_item& item,
                       const std::vector<std::wstring>& scheduled);

// A quiet removal's exit code from what is left of it: still present when
// anything counted is left that is not waiting for the restart, else
// `completed_code` (which says whether files wait for the restart).
int leftover_exit_code(const std::vector<cleaning::listed_item>& left,
                       const std::vector<std::wstring>& scheduled, int completed_code);

// Writes "TVRemover.report.txt" in `folder` (the current folder when empty):
// UTF-8 without a byte order mark, one line each, CRLF. The system's error
// code, 0 on success.
unsigned long write_report_file(const std::wstring& folder, const std::vector<std::wstring>& lines);

}  // namespace driver
