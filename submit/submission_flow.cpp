#include "submit/submission_flow.h"

#include <winsock2.h>
// winsock2.h must come before windows.h.
#include <windows.h>

#include <exception>
#include <vector>

#include "cleaning/clock.h"
#include "cleaning/message_box.h"
#include "submit/input_box.h"
#include "submit/log_text.h"
#include "submit/sender_address.h"
#include "submit/subject.h"
#include "submit/support_address.h"
#include "support/handles/windows_handles.h"
#include "support/mail/header_fields.h"
#include "support/mail/header_type.h"
#include "support/mail/message.h"
#include "support/mail/smtp_client.h"
#include "support/net/resolve_ip4.h"
#include "support/net/startup_guard.h"
#include "support/text/system_converter.h"
#include "support/text/unicode.h"

namespace submit {

namespace {

namespace m2 = replay::internet::message2;
namespace fields = replay::internet::message2::header_fields;

const char* const not_submitted = "Log file not submitted";
const char* const no_sender = "Log file can't be sent without a sender";

// A version text comes from the registry: control characters in it would break
// the header, so they become blanks; anything beyond ASCII travels as an
// encoded word.
std::string subject_header_value(const std::string& version_text) {
    std::string version = version_text;
    for (char& c : version) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    }
    unsigned major = 0;
    unsigned minor = 0;
    windows_version(major, minor);
    const std::string subject = subject_text(version, major, minor);
    m2::header_type::unstructured_value_type type(replay::unicode::system_converter());
    type.set_charset("utf-8");
    return m2::header_type::encode_header_words(
        type, replay::unicode::to_wide(subject, replay::unicode::ansi_codepage),
        fields::recommended_line_length - std::string("Subject: ").size());
}

void compose(m2::message& message, const cleaning::product_cleaner& context) {
    message.remove_header("Content-Transfer-Encoding");
    message.add_header("Content-Transfer-Encoding", "base64");
    // Without it a reader may show the base64 lines as they are.
    message.add_header("MIME-Version", "1.0");
    message.add_header("To",
                       std::string("\"") + recipient_display_name + "\" <" + support_mailbox + ">");
    message.set_charset("utf-8");
    message.add_header("Subject", subject_header_value(context.version_text));
}

// The whole file in one read; false when it cannot be read.
bool read_whole_file(HANDLE file, std::string& content) {
    const DWORD size = ::GetFileSize(file, nullptr);
    if (size == INVALID_FILE_SIZE)
        return false;
    content.assign(size, '\0');
    DWORD read = 0;
    if (size > 0 && !::ReadFile(file, &content[0], size, &read, nullptr))
        return false;
    content.resize(read);
    return true;
}

void show_ok_box(const std::string& text, const std::string& caption) {
    cleaning::show_message_box(text, caption, MB_OK);
}

// Asks until the user gives a usable address; empty when the prompt was left.
std::string ask_sender() {
    char buffer[input_box_buffer_size] = {};
    for (;;) {
        if (show_input_box(buffer) != 1) {
            show_ok_box(no_sender, not_submitted);
            return std::string();
        }
        const std::string typed(buffer);
        if (is_acceptable_typed_sender(typed))
            return typed;
        show_ok_box(no_sender, not_submitted);
    }
}

fields::civil_time civil(const SYSTEMTIME& time) {
    return {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
}

// 64 bits from the system's random source where it has one (Windows XP on),
// else from the moment and the process, which differ between any two runs.
std::uint64_t random_bits() {
    using gen_random = BOOLEAN(WINAPI*)(PVOID, ULONG);
    std::uint64_t bits = 0;
    // advapi32 is among the program's own imports, so it is looked up, never
    // loaded: nothing is searched for along a path the user controls.
    const HMODULE advapi = ::GetModuleHandleW(L"advapi32.dll");
    const auto generate = advapi == nullptr ? nullptr
                                            : reinterpret_cast<gen_random>(reinterpret_cast<void*>(
                                                  ::GetProcAddress(advapi, "SystemFunction036")));
    if (generate != nullptr && generate(&bits, sizeof bits))
        return bits;
    SYSTEMTIME now = {};
    ::GetSystemTime(&now);
    for (WORD part : {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                      now.wMilliseconds}) {
        bits = bits * 1000003u + part;
    }
    bits ^= static_cast<std::uint64_t>(::GetCurrentProcessId()) << 40;
    bits ^= static_cast<std::uint64_t>(::GetTickCount()) << 20;
    return bits * 0x9E3779B97F4A7C15ull;
}

// Stamped as the message leaves, not when it was composed: the user may answer
// the offer long after the run.
void stamp(m2::message& message) {
    SYSTEMTIME utc = {};
    SYSTEMTIME local = {};
    ::GetSystemTime(&utc);
    ::GetLocalTime(&local);
    message.remove_header("Message-ID");
    message.remove_header("Date");
    message.add_header("Message-ID",
                       fields::message_id_value(civil(utc), random_bits(), message_id_domain));
    message.add_header(
        "Date", fields::date_value(civil(local), fields::offset_minutes(civil(local), civil(utc))));
}

// The machine's name in the domain system when it has a full one; empty makes
// the client greet with the address of its end of the connection.
std::string fully_qualified_name() {
    char name[256] = {};
    DWORD size = sizeof name;
    if (!::GetComputerNameExA(ComputerNameDnsFullyQualified, name, &size))
        return std::string();
    return is_greeting_name(name) ? std::string(name) : std::string();
}

void send(m2::message& message, const mail_server& server) {
    replay::internet::environment::startup_guard sockets;
    stamp(message);
    const std::vector<std::string> lines = message.to_lines();
    const auto address = replay::internet::address::resolve_ip4(server.host, server.port);
    replay::internet::smtp::deliver(fully_qualified_name(), address, support_mailbox, "", lines);
    show_ok_box("Thank you. The log file has been submitted.", "Log file submitted");
}

// Asks, finds the sender and sends; every failure on the way is shown.
void offer_and_send(m2::message& message, const cleaning::product_cleaner& context,
                    const mail_server& server) {
    try {
        if (cleaning::show_message_box("Would you like to send a log file to Orvanta support?",
                                       "Orvanta support", MB_YESNO) != IDYES) {
            return;
        }
        std::string sender = context.user_email;
        if (!is_acceptable_typed_sender(sender))
            sender = ask_sender();
        if (sender.empty())
            return;
        message.add_header("From", "<" + sender + ">");
        send(message, server);
    } catch (const std::exception& e) {
        show_ok_box(e.what(), not_submitted);
    }
}

enum class log_read { missing, empty, ready };

// The message around the log file, when the file holds anything to send.
log_read read_log(m2::message& message, const cleaning::product_cleaner& context,
                  const std::string& base_name) {
    compose(message, context);
    const std::string path = base_name + ".log.txt";
    // Another instance may still be writing to the same log: its handle would
    // refuse a reader that does not share writing (log_text keeps whole lines).
    replay::handles::unique_handle file(
        ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return log_read::missing;
    std::string content;
    if (!read_whole_file(file.get(), content) || content.size() <= 2)
        return log_read::empty;
    message.set_text(log_text(content));
    return log_read::ready;
}

}  // namespace

void offer_log_submission(cleaning::product_cleaner& context, const std::string& base_name) {
    if (!context.log_available) {
        cleaning::current_clock().sleep(3000);
        return;
    }
    if (submit_log(context, base_name) == 0)
        show_ok_box(not_submitted, not_submitted);
}

int submit_log(cleaning::product_cleaner& context, std::string base_name) {
    return submit_log(context, std::move(base_name), {support_mail_host, support_mail_port});
}

int submit_log(cleaning::product_cleaner& context, std::string base_name,
               const mail_server& server) {
    m2::message message(replay::unicode::system_converter());
    const log_read read = read_log(message, context, base_name);
    if (read == log_read::missing)
        return 0;
    if (read == log_read::ready)
        offer_and_send(message, context, server);
    return 1;
}

void send_log_unasked(cleaning::product_cleaner& context, const std::string& base_name,
                      const std::string& sender) {
    send_log_unasked(context, base_name, sender, {support_mail_host, support_mail_port});
}

void send_log_unasked(cleaning::product_cleaner& context, const std::string& base_name,
                      const std::string& sender, const mail_server& server) {
    m2::message message(replay::unicode::system_converter());
    const log_read read = read_log(message, context, base_name);
    if (read == log_read::missing)
        show_ok_box(not_submitted, not_submitted);
    if (read != log_read::ready)
        return;
    try {
        const std::string from = is_acceptable_typed_sender(context.user_email) ? context.user_email
                                 : is_acceptable_typed_sender(sender)           ? sender
                                                                                : std::string();
        if (from.empty()) {
            show_ok_box(no_sender, not_submitted);
            return;
        }
        message.add_header("From", "<" + from + ">");
        send(message, server);
    } catch (const std::exception& e) {
        show_ok_box(e.what(), not_submitted);
    }
}

}  // namespace submit
