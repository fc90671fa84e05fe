// Removes one folder tree with the tool's remove_folder, as one process, so that
// it is timed the same way as the command processor's rmdir.
#include <cstdio>

#include "cleaning/files/file_removal.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: remove_folder_once FOLDER\n");
        return 2;
    }
    return cleaning::remove_folder(argv[1]) ? 0 : 1;
}
