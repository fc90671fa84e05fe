#pragma once

#include "cleaning/product_cleaner.h"

// The work of each removal stage, in the order the run calls them. The run
// (stage_sequence.cpp) writes each stage's heading and closing lines and applies
// the stage's protection; these functions do only the stage's own work.
namespace driver {

// Product detection: fills the context's version and install folder.
void detect_product(cleaning::product_cleaner& context);

void stop_product_processes(cleaning::product_cleaner& context);         // stage 1
void stop_and_delete_pellane_tools(cleaning::product_cleaner& context);  // stage 2
void clean_installer_database(cleaning::product_cleaner& context);       // stage 3
void deal_with_pellane_31x(cleaning::product_cleaner& context);          // stage 4
void remove_corvane_tray(cleaning::product_cleaner& context);            // stage 5
void clean_software_registry(cleaning::product_cleaner& context);        // stage 6
void remove_appdata_folders(cleaning::product_cleaner& context);         // stage 7
void remove_shortcuts(cleaning::product_cleaner& context);               // stage 8
void remove_desktop_shortcut(cleaning::product_cleaner& context);        // stage 9
void clean_program_files_folder(cleaning::product_cleaner& context);     // stage 10
void remove_virtual_store_files(cleaning::product_cleaner& context);     // stage 11

// Runs `work` and drops whatever it raises, without a log line. The run shields
// stage 7's work this way; stage 2 uses it for its older branch, whose
// unregistration steps may fail on a half-removed installation without harm.
template <typename Work>
void discarding_failures(Work&& work) {
    try {
        work();
    } catch (...) {
    }
}

}  // namespace driver
