#pragma once

#include <cstdint>

// Where log submissions go. Fixed, never configurable: both names lie under the
// reserved ".example" domain, so a submission can only ever reach a server that a
// test (or a hosts-file entry on a support machine) put behind that name.
namespace submit {

constexpr const char* support_mailbox = "support@tvremover.example";
constexpr const char* support_mail_host = "mail.tvremover.example";
constexpr std::uint16_t support_mail_port = 25;

constexpr const char* recipient_display_name = "Remove-support mails";
// The name the client gives in EHLO/HELO.
constexpr const char* greeting_name = "installer";

}  // namespace submit
