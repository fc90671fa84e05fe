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
// The domain part of every Message-ID: the domain of the support service the
// messages are made for, never the machine's name. Time and 64 random bits make
// the identifier unique within it.
constexpr const char* message_id_domain = "tvremover.example";

}  // namespace submit
