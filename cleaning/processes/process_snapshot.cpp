#include "cleaning/processes/process_snapshot.h"

namespace cleaning {

process_snapshot::process_snapshot()
    : snapshot_(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)) {}

void process_snapshot::walk(const std::function<bool(const PROCESSENTRY32&)>& visit) const {
    if (!snapshot_)
        return;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32First(snapshot_.get(), &entry); more;
         more = ::Process32Next(snapshot_.get(), &entry)) {
        if (!visit(entry))
            return;
    }
}

}  // namespace cleaning
