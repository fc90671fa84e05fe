#pragma once

#include <string>

// Stopping and removing Windows services. Service names are the names the
// service control manager knows (the service's key name), in the ANSI code page;
// program names are file names or path tails matched against a service's
// ImagePath. Nothing here raises.
namespace cleaning {

// False only when the system says there is no such service; when the question
// cannot be asked the service is assumed to exist.
bool service_exists(const std::string& service_name);

// Stops the service, waiting up to 30 s from the call, and deletes it when
// `delete_service` is set. 1 when it ended up deleted, or stopped when deletion
// was not asked for; 0 otherwise. Logs every step.
int stop_service(const std::string& service_name, bool delete_service);

// The key name of the first service (in sorted key order) whose ImagePath ends
// with `program_name`, or an empty string.
std::string find_service_by_image(const std::string& program_name);

// Deletes the registry entry of the first service whose ImagePath ends with
// `program_name`; true when one was removed. The service control manager is not
// told, so this is the last resort after the program has been ended.
bool kill_service_by_image(const std::string& program_name);

// Stops the service (deleting it when `final_removal` is set). A service that is
// not installed under that name is looked for by its program; when it cannot be
// stopped (or deleted), its program's processes are ended instead and, for a
// final removal, its registry entry is removed.
void stop_and_delete_service(const std::string& service_name, const std::string& program_name,
                             bool final_removal);

}  // namespace cleaning
