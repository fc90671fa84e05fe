#include "support/locks/mutex.h"

namespace replay {

mutex::mutex() {
    InitializeCriticalSection(&section_);
}

mutex::~mutex() {
    DeleteCriticalSection(&section_);
}

bool mutex::acquire() {
    EnterCriticalSection(&section_);
    return true;
}

void mutex::release() {
    LeaveCriticalSection(&section_);
}

}  // namespace replay
