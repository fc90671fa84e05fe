#include "driver/removal_listing_run.h"

#include <windows.h>

#include "cleaning/portable/product_version.h"
#include "driver/exit_codes.h"
#include "support/handles/windows_handles.h"
#include "support/text/ascii.h"
#include "support/text/unicode.h"

namespace driver {

namespace {

const wchar_t* const detection_facts[] = {L"version", L"install folder"};

std::wstring widened(const std::string& text) {
    return replay::unicode::to_wide(text, replay::unicode::ansi_codepage);
}

bool starts_with(const std::wstring& text, const wchar_t* start) {
    return text.compare(0, std::wcslen(start), start) == 0;
}

bool is_scheduled(const std::wstring& path, const std::vector<std::wstring>& scheduled) {
    for (const std::wstring& name : scheduled) {
        if (replay::text::equal_ignoring_ascii_case(name, path))
            return true;
    }
    return false;
}

// A folder whose every entry, at any depth, is scheduled.
bool holds_only_scheduled(const std::wstring& folder, const std::vector<std::wstring>& scheduled) {
    WIN32_FIND_DATAW data;
    replay::handles::unique_hfind search(::FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!search)
        return false;
    bool any = false;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring path = folder + L"\\" + name;
        if (is_scheduled(path, scheduled)) {
            any = true;
            continue;
        }
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            !holds_only_scheduled(path, scheduled))
            return false;
        any = true;
    } while (::FindNextFileW(search.get(), &data));
    return any;
}

}  // namespace

std::vector<cleaning::listed_item> list_removal(const std::vector<stage>& stages,
                                                cleaning::product_cleaner& context) {
    cleaning::removal_listing listing;
    {
        cleaning::listing_scope pass(listing);
        for (const stage& step : stages) {
            // A stage that fails lists what it found up to the failure; the rest
            // of the stages still list theirs, as a report must say all it can.
            try {
                run_stage(step, context);
            } catch (...) {
            }
        }
    }
    return listing.items();
}

std::vector<cleaning::listed_item> detection_items(const cleaning::product_cleaner& context,
                                                   const std::string& folder_rule) {
    std::vector<cleaning::listed_item> items;
    // A text the removal cannot read as a version leaves it to assume a current
    // installation, as it does when there is no text at all.
    if (!context.version_text.empty())
        items.push_back({L"version", widened(context.version_text),
                         cleaning::parse_product_version(context.version_text) > 0
                             ? L"found by: DisplayVersion of the Uninstall entry"
                             : L"found by: DisplayVersion of the Uninstall entry, not understood: "
                               L"handled as a current installation",
                         false});
    std::wstring folder = widened(context.install_dir);
    while (folder.size() > 3 && folder.back() == L'\\')
        folder.pop_back();
    items.push_back({L"install folder", folder, widened(folder_rule), false});
    return items;
}

std::wstring report_line(const cleaning::listed_item& item) {
    return item.what + L"\t" + item.where + L"\t" + item.action;
}

bool counts_as_found(const cleaning::listed_item& item) {
    for (const wchar_t* fact : detection_facts) {
        if (item.what == fact)
            return false;
    }
    return !item.left_by_design && !starts_with(item.action, L"keep") &&
           !starts_with(item.action, L"leave");
}

int report_exit_code(const std::vector<cleaning::listed_item>& items) {
    for (const cleaning::listed_item& item : items) {
        if (counts_as_found(item))
            return exit_found;
    }
    return exit_completed;
}

bool waits_for_restart(const cleaning::listed_item& item,
                       const std::vector<std::wstring>& scheduled) {
    if (item.what != L"file" && item.what != L"folder")
        return false;
    return is_scheduled(item.where, scheduled) ||
           (item.what == L"folder" && holds_only_scheduled(item.where, scheduled));
}

int leftover_exit_code(const std::vector<cleaning::listed_item>& left,
                       const std::vector<std::wstring>& scheduled, int completed_code) {
    for (const cleaning::listed_item& item : left) {
        if (counts_as_found(item) && !waits_for_restart(item, scheduled))
            return exit_found;
    }
    return completed_code;
}

unsigned long write_report_file(const std::wstring& folder,
                                const std::vector<std::wstring>& lines) {
    std::wstring path = folder;
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/')
        path += L'\\';
    path += L"TVRemover.report.txt";
    std::string text;
    for (const std::wstring& line : lines)
        text += replay::unicode::to_narrow(line, replay::unicode::utf8_codepage, false) + "\r\n";
    replay::handles::unique_handle file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                                      nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                                      nullptr));
    if (!file)
        return ::GetLastError();
    DWORD written = 0;
    if (!::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size())
        return ::GetLastError() != 0 ? ::GetLastError() : ERROR_WRITE_FAULT;
    return 0;
}

}  // namespace driver
