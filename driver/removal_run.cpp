#include "driver/removal_run.h"

#include <windows.h>

#include <string>

#include "cleaning/environment/administrator_check.h"
#include "cleaning/environment/windows_version.h"
#include "driver/exit_codes.h"
#include "driver/log_setup.h"
#include "driver/product_detection.h"
#include "driver/removal_listing_run.h"
#include "driver/run_outcome.h"
#include "driver/stages.h"
#include "submit/submission_flow.h"
#include "support/log/console.h"
#include "support/log/log.h"
#include "support/registry/key.h"

namespace driver {

namespace {

const char banner[] = "Tarvello Remover version 1.0.6.4";

// Puts the given stand-ins in place while the run lasts.
class installed_seams {
public:
    explicit installed_seams(const run_seams& seams) : seams_(seams) {
        if (seams_.message_boxes)
            cleaning::use_message_box_answerer(seams_.message_boxes);
        if (seams_.clock)
            cleaning::use_clock(seams_.clock);
        if (seams_.token)
            cleaning::use_token_queries(seams_.token);
    }
    installed_seams(const installed_seams&) = delete;
    installed_seams& operator=(const installed_seams&) = delete;
    ~installed_seams() {
        if (seams_.message_boxes)
            cleaning::use_message_box_answerer(nullptr);
        if (seams_.clock)
            cleaning::use_clock(nullptr);
        if (seams_.token)
            cleaning::use_token_queries(nullptr);
    }

private:
    run_seams seams_;
};

void write_banner() {
    replay::log::info("");
    replay::log::info("%s", banner);
    replay::log::info("");
    replay::log::info("%s", cleaning::get_os_name().c_str());
    replay::log::info("");
}

void refuse(const char* reason) {
    replay::log::info("%s", reason);
    cleaning::show_message_box(reason, banner, MB_OK);
}

// The two refusals; true when the run may go on.
bool environment_accepted() {
    if (cleaning::is_older_than_windows_2000()) {
        refuse("This program can be launched on Windows 2000 or higher. Exiting ...");
        return false;
    }
    if (cleaning::IsRunAsAdministrator(L"Tarvello force remover") != 1) {
        refuse(
            "The program is running without Administrative rights.\n"
            "Relogin as Administrator and run it again !");
        return false;
    }
    return true;
}

int end_abnormally(int code) {
    replay::log::info("");
    replay::log::info("%s completed abnormally.", banner);
    replay::log::info("");
    replay::log::shutdown();
    return code;
}

// Where the run is, for the line that names an unexpected failure.
class progress {
public:
    void at(const std::string& step) { step_ = step; }
    void log_closed() { log_closed_ = true; }

    // Inside a handler: names the failure and the step, and closes the log.
    // `completed_code` is what the run answers once its removal has completed:
    // whatever happens to the log submission after it does not change that.
    int stop_on_failure(int completed_code) {
        try {
            std::string context = "The removal stopped in " + step_ + ":";
            if (!log_closed_) {
                replay::log::report_exception(context.c_str());
                return end_abnormally(exit_failed);
            }
            // The removal itself completed and its log is closed; the console
            // is the only place left to say what went wrong after it.
            context = "The removal completed, but " + step_ + " failed:";
            replay::log::add_listener(0, new replay::log::console());
            replay::log::report_exception(context.c_str());
            replay::log::shutdown();
        } catch (...) {
        }
        return log_closed_ ? completed_code : exit_failed;
    }

private:
    std::string step_ = "log set-up";
    bool log_closed_ = false;
};

void run_stages(const std::vector<stage>& stages, cleaning::product_cleaner& context,
                progress& where) {
    for (const stage& step : stages) {
        where.at(step.heading ? std::string("\"") + step.heading + "\""
                              : std::string("the Installer database cleaning"));
        run_stage(step, context);
    }
}

// A quiet run has nobody to ask: its boxes are answered unseen while it lasts.
class quiet_boxes {
public:
    explicit quiet_boxes(bool quiet) : quiet_(quiet) {
        if (quiet_)
            cleaning::use_quiet_message_boxes(true);
    }
    quiet_boxes(const quiet_boxes&) = delete;
    quiet_boxes& operator=(const quiet_boxes&) = delete;
    ~quiet_boxes() {
        if (quiet_)
            cleaning::use_quiet_message_boxes(false);
    }

private:
    bool quiet_;
};

// The console as the only listener while it lasts, once the log is closed.
class console_after_log {
public:
    console_after_log() { replay::log::add_listener(0, new replay::log::console()); }
    console_after_log(const console_after_log&) = delete;
    console_after_log& operator=(const console_after_log&) = delete;
    ~console_after_log() { replay::log::shutdown(); }
};

// A report run reads the registry without the rights to change it, from the
// start: its detection too.
class read_only_registry {
public:
    explicit read_only_registry(bool on)
        : on_(on), previous_(on && replay::registry2::use_read_only_keys(true)) {}
    read_only_registry(const read_only_registry&) = delete;
    read_only_registry& operator=(const read_only_registry&) = delete;
    ~read_only_registry() {
        if (on_)
            replay::registry2::use_read_only_keys(previous_);
    }

private:
    bool on_;
    bool previous_;
};

void log_items(const std::vector<cleaning::listed_item>& items) {
    for (const cleaning::listed_item& item : items)
        replay::log::log_line_w(replay::log::level_info, report_line(item));
}

int report(cleaning::product_cleaner& context, const std::string& folder_rule,
           const run_options& options, const std::vector<stage>& stages, progress& where) {
    where.at("the report");
    std::vector<cleaning::listed_item> items = detection_items(context, folder_rule);
    const std::vector<cleaning::listed_item> listed = list_removal(stages, context);
    items.insert(items.end(), listed.begin(), listed.end());
    replay::log::info("What a removal would find and do:");
    log_items(items);
    replay::log::info("");
    std::vector<std::wstring> lines;
    for (const cleaning::listed_item& item : items)
        lines.push_back(report_line(item));
    const unsigned long error = write_report_file(options.log_folder, lines);
    if (error != 0) {
        replay::log::info("The report file TVRemover.report.txt could not be written; error %lu !",
                          error);
        return end_abnormally(exit_failed);
    }
    replay::log::info("%s completed OK.", banner);
    replay::log::info("");
    replay::log::shutdown();
    return report_exit_code(items);
}

// After a quiet removal: what the removal's stages would still act on, in the log.
int list_leftovers(cleaning::product_cleaner& context, const run_outcome& outcome,
                   progress& where) {
    where.at("the listing of what is left");
    std::vector<cleaning::listed_item> left = list_removal(removal_stages(), context);
    for (cleaning::listed_item& item : left) {
        if (counts_as_found(item))
            item.action = waits_for_restart(item, outcome.scheduled())
                              ? L"scheduled for removal at the next restart"
                              : L"still present";
    }
    bool anything = false;
    for (const cleaning::listed_item& item : left)
        anything = anything || counts_as_found(item);
    replay::log::info(anything ? "What is left of the product:"
                               : "What is left of the product: nothing.");
    log_items(left);
    replay::log::info("");
    return leftover_exit_code(left, outcome.scheduled(), outcome.completed_code());
}

void complete(cleaning::product_cleaner& context, const run_options& options, progress& where) {
    replay::log::info("%s completed OK.", banner);
    replay::log::info("");
    replay::log::info("");
    replay::log::info("");
    replay::log::shutdown();
    where.log_closed();
    // Under /quiet the offer would be declined unseen, and without a log beside
    // the tool the flow would only wait: neither has a place in a quiet run.
    if (options.quiet && !options.send)
        return;
    where.at("the log submission");
    if (!options.quiet) {
        submit::offer_log_submission(context, log_base_path(options.log_folder));
        return;
    }
    // The log is closed, so the console alone tells what the sending met.
    console_after_log told;
    submit::send_log_unasked(context, log_base_path(options.log_folder), options.sender);
}

}  // namespace

int run(const run_seams& seams) {
    return run(run_options(), seams, removal_stages());
}

int run(const run_seams& seams, const std::vector<stage>& stages) {
    return run(run_options(), seams, stages);
}

int run(const run_options& options, const run_seams& seams) {
    return run(options, seams, removal_stages());
}

int run(const run_options& options, const run_seams& seams, const std::vector<stage>& stages) {
    installed_seams installed(seams);
    quiet_boxes quiet(options.quiet);
    read_only_registry read_only(options.report);
    run_outcome outcome(options.quiet && !options.report);
    cleaning::product_cleaner context("Tarvello");
    context.log_available = true;
    progress where;
    try {
        open_logs(context, options.log_folder);
        where.at("the start-up checks");
        write_banner();
        if (options.report) {
            replay::log::info("Report run: nothing on this machine is changed.");
            replay::log::info("");
        }
        if (!environment_accepted())
            return end_abnormally(exit_refused);
        where.at("the product detection");
        std::string folder_rule;
        detect_product(context, folder_rule);
        if (options.report)
            return report(context, folder_rule, options, stages, where);
        run_stages(stages, context, where);
        // Only the removal's own stages leave a product to look for; a run of
        // other stages (the framing's tests) has none.
        const bool removal = &stages == &removal_stages();
        const int code = options.quiet && removal ? list_leftovers(context, outcome, where)
                                                  : outcome.completed_code();
        complete(context, options, where);
        return code;
    } catch (...) {
        return where.stop_on_failure(outcome.completed_code());
    }
}

}  // namespace driver
