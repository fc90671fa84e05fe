#include "driver/removal_run.h"

#include <windows.h>

#include <string>

#include "cleaning/environment/administrator_check.h"
#include "cleaning/environment/windows_version.h"
#include "driver/exit_codes.h"
#include "driver/log_setup.h"
#include "driver/run_outcome.h"
#include "driver/stages.h"
#include "submit/submission_flow.h"
#include "support/log/console.h"
#include "support/log/log.h"

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
    run_outcome outcome(options.quiet);
    cleaning::product_cleaner context("Tarvello");
    context.log_available = true;
    progress where;
    try {
        open_logs(context, options.log_folder);
        where.at("the start-up checks");
        write_banner();
        if (!environment_accepted())
            return end_abnormally(exit_refused);
        where.at("the product detection");
        detect_product(context);
        run_stages(stages, context, where);
        complete(context, options, where);
        return outcome.completed_code();
    } catch (...) {
        return where.stop_on_failure(outcome.completed_code());
    }
}

}  // namespace driver
