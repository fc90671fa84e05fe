#include "support/log/line_prefix.h"

#include "support/text/format.h"

namespace replay {
namespace log {

char level_marker(int level) {
    static const char markers[] = {'#', ' ', '+', '!', '>', '@'};
    if (level < 0 || level >= static_cast<int>(sizeof(markers))) {
        return '?';
    }
    return markers[level];
}

std::string line_prefix(int level, const SYSTEMTIME& time) {
    return format("%.4d/%.2d/%.2d %.2d:%.2d:%.2d %c  ", time.wYear, time.wMonth, time.wDay,
                  time.wHour, time.wMinute, time.wSecond, level_marker(level));
}

std::string line_prefix_now(int level) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return line_prefix(level, now);
}

}  // namespace log
}  // namespace replay
