#include "support/mail/header_fields.h"

#include <algorithm>
#include <cstdio>

#include "support/text/ascii.h"

namespace replay {
namespace internet {
namespace message2 {

using text::is_blank;
namespace header_fields {

namespace {

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar.
long days_from_civil(int year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const long era = (year >= 0 ? year : year - 399) / 400;
    const long year_of_era = year - era * 400;
    const long day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era - 719468;
}

long long seconds_of(const civil_time& t) {
    return days_from_civil(t.year, t.month, t.day) * 86400LL + t.hour * 3600LL + t.minute * 60LL +
           t.second;
}

// Where the line may be broken: before a blank that ends a run of other
// characters and is followed by more of them somewhere, so that no line ends in
// a blank and none holds blanks only.
bool may_fold_at(const std::string& line, std::size_t at, std::size_t last_other) {
    return at > 0 && at < last_other && is_blank(line[at]) && !is_blank(line[at - 1]);
}

}  // namespace

int offset_minutes(const civil_time& local, const civil_time& utc) {
    const long long seconds = seconds_of(local) - seconds_of(utc);
    return static_cast<int>((seconds + (seconds >= 0 ? 30 : -30)) / 60);
}

std::string date_value(const civil_time& local, int offset_minutes) {
    static const char* const weekdays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const long days = days_from_civil(local.year, local.month, local.day);
    const int weekday = static_cast<int>(((days % 7) + 7) % 7);
    const int offset = offset_minutes < 0 ? -offset_minutes : offset_minutes;
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %c%02d%02d",
                  weekdays[weekday], local.day, months[(local.month - 1) % 12], local.year,
                  local.hour, local.minute, local.second, offset_minutes < 0 ? '-' : '+',
                  offset / 60, offset % 60);
    return text;
}

std::string message_id_value(const civil_time& utc, std::uint64_t random,
                             const std::string& domain) {
    char text[64];
    std::snprintf(text, sizeof text, "<%04d%02d%02d%02d%02d%02d.%08lx%08lx@", utc.year, utc.month,
                  utc.day, utc.hour, utc.minute, utc.second,
                  static_cast<unsigned long>(random >> 32),
                  static_cast<unsigned long>(random & 0xFFFFFFFFu));
    return text + domain + ">";
}

std::vector<std::string> fold(const std::string& line) {
    std::vector<std::string> lines;
    std::string rest = line;
    // The first line keeps the name and the first word of the value: some
    // readers take a value that starts on a folded line as starting with a blank.
    // Only the colon that ends the name is passed over: a value may itself start
    // with one, and its first word then ends there.
    const std::size_t colon = line.find(':');
    std::size_t first = colon == std::string::npos ? line.size() : colon + 1;
    while (first < line.size() && is_blank(line[first]))
        ++first;
    while (rest.size() > recommended_line_length) {
        const std::size_t last_other = rest.find_last_not_of(" \t");
        std::size_t at = 0;
        for (std::size_t i = first + 1; i <= recommended_line_length; ++i) {
            if (may_fold_at(rest, i, last_other))
                at = i;
        }
        for (std::size_t i = std::max(first + 1, recommended_line_length + 1);
             at == 0 && i < rest.size(); ++i) {
            if (may_fold_at(rest, i, last_other))
                at = i;
        }
        if (at == 0)
            break;
        lines.push_back(rest.substr(0, at));
        rest.erase(0, at);
        first = 0;
    }
    lines.push_back(rest);
    return lines;
}

}  // namespace header_fields
}  // namespace message2
}  // namespace internet
}  // namespace replay
