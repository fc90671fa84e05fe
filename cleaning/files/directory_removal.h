#pragma once

#include <string>

namespace cleaning {

// Removes the empty folder `path` as RemoveDirectoryW does, except that a folder
// another process holds open is retried for up to five seconds. Such holds are
// usually brief: a program the tool has just run can leave a process behind for a
// moment that still has the folder as its current folder (Wine's console host
// does), and scanners and indexers open folders for a moment on Windows. Every
// other failure returns at once. On failure the system's last error says why.
bool remove_directory_once_released(const std::wstring& path);

}  // namespace cleaning
