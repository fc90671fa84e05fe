// Takes a named mutex in a process of its own, for the lock tests.
//
//   mutex_holder NAME READY_EVENT GO_EVENT   takes NAME, signals READY_EVENT,
//                                            releases NAME once GO_EVENT is set
//   mutex_holder NAME READY_EVENT abandon    takes NAME, signals, ends holding it
#include <windows.h>

#include <cstring>

#include "support/locks/real_mutex.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        return 2;
    }
    try {
        replay::real_mutex lock(argv[1]);
        if (!lock.acquire()) {
            return 3;
        }
        HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
        if (ready == nullptr || !SetEvent(ready)) {
            return 4;
        }
        if (std::strcmp(argv[3], "abandon") == 0) {
            ExitProcess(0);
        }
        HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, argv[3]);
        if (go == nullptr || WaitForSingleObject(go, 60000) != WAIT_OBJECT_0) {
            return 5;
        }
        lock.release();
        return 0;
    } catch (...) {
        return 6;
    }
}
