// Holds a file the way another program on a damaged machine may, until it is
// ended:
//
//   file_holder FILE exclusive [DELAY_MS]   opens FILE sharing nothing, so that
//                                           nobody else can open, write or delete it
//   file_holder FILE lock [DELAY_MS]        opens FILE sharing everything and locks
//                                           all its bytes, so that others may open
//                                           it but every read and write fails
//
// It waits DELAY_MS (default 0) first, then prints "held" on its standard output
// once the hold is in place. Exit code 2 for wrong arguments, 3 when the hold
// could not be taken.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    const bool exclusive = std::strcmp(argv[2], "exclusive") == 0;
    if (!exclusive && std::strcmp(argv[2], "lock") != 0)
        return 2;
    if (argc >= 4)
        ::Sleep(static_cast<DWORD>(std::atol(argv[3])));
    const DWORD sharing = exclusive ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE file = ::CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, sharing, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 3;
    if (!exclusive && !::LockFile(file, 0, 0, 0xFFFFFFFF, 0xFFFFFFFF))
        return 3;
    std::printf("held\n");
    std::fflush(stdout);
    ::Sleep(INFINITE);
    return 0;
}
