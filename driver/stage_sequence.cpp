#include "driver/stage_sequence.h"

#include "driver/stages.h"
#include "support/log/log.h"

namespace driver {

namespace {

void open_frame(const stage& step) {
    if (step.heading == nullptr)
        return;
    replay::log::info("%s", step.heading);
    replay::log::info("");
}

void close_frame(const stage& step) {
    if (step.heading == nullptr)
        return;
    replay::log::info("==================================================");
    replay::log::info("");
}

}  // namespace

const std::vector<stage>& removal_stages() {
    using g = stage_guard;
    static const std::vector<stage> stages = {
        {"**** Stop product processes ****", stop_product_processes, g::none, nullptr},
        {"**** Stop & Delete Pellane Tools ****", stop_and_delete_pellane_tools, g::none, nullptr},
        // The Installer database passes write their own headings.
        {nullptr, clean_installer_database, g::none, nullptr},
        // The 3.1.x suite's files may be in any state; whatever they do to its
        // remover, the rest of the removal still has to run.
        {"**** Deal with Pellane 3.1.x ****", deal_with_pellane_31x, g::logging,
         "Unregistering in Pellane caused problems with the remover..."},
        {"**** Remove CorvaneTray ****", remove_corvane_tray, g::none, nullptr},
        {"**** Cleaning SOFTWARE registry ****", clean_software_registry, g::none, nullptr},
        {"**** Removing Tarvello Specific AppData folders ****", remove_appdata_folders,
         g::discarding, nullptr},
        {"**** Removing shortcuts ****", remove_shortcuts, g::none, nullptr},
        {"**** Removing Desktop shortcut ****", remove_desktop_shortcut, g::none, nullptr},
        {"**** Cleaning Program Files folder ****", clean_program_files_folder, g::none, nullptr},
        {"**** Removing files from Virtual Store ****", remove_virtual_store_files, g::none,
         nullptr},
    };
    return stages;
}

void run_stage(const stage& step, cleaning::product_cleaner& context) {
    switch (step.guard) {
        case stage_guard::none:
            open_frame(step);
            step.work(context);
            break;
        case stage_guard::discarding:
            open_frame(step);
            discarding_failures([&] { step.work(context); });
            break;
        case stage_guard::logging:
            try {
                open_frame(step);
                step.work(context);
            } catch (...) {
                replay::log::info("%s", step.failure_line);
            }
            break;
    }
    close_frame(step);
}

}  // namespace driver
