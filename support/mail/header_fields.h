#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Header values and header lines that need no system calls: the date, the
// message identifier and the folding of long lines.
namespace replay {
namespace internet {
namespace message2 {
namespace header_fields {

// A calendar time as the system's clock gives it (month 1 to 12, day 1 to 31).
struct civil_time {
    int year;
    int month;
    int day;
    int hour;
    int minute;
    int second;
};

// How far `local` lies ahead of `utc`, in whole minutes (negative west of
// Greenwich). The two readings are taken one after the other, so a difference
// of a few seconds is rounded away.
int offset_minutes(const civil_time& local, const civil_time& utc);

// An RFC 5322 date-time: "Wed, 09 Dec 2026 05:21:19 +0100".
std::string date_value(const civil_time& local, int offset_minutes);

// "<20261209042119.0123456789abcdef@domain>": the UTC time to the second, 64
// random bits in hexadecimal, and `domain`.
std::string message_id_value(const civil_time& utc, std::uint64_t random,
                             const std::string& domain);

// Readers keep lines of at most 78 characters whole; longer lines are folded
// before a blank, so that unfolding gives the line back. A line stays longer
// only where it has no blank to fold at.
constexpr std::size_t recommended_line_length = 78;

// "Name: value" as one or more lines without line ends; every line after the
// first starts with the blank it was folded before.
std::vector<std::string> fold(const std::string& line);

}  // namespace header_fields
}  // namespace message2
}  // namespace internet
}  // namespace replay
