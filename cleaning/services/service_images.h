#pragma once

#include <functional>
#include <string>

#include "support/registry/key.h"

namespace cleaning {

// Walks the services' registry entries in sorted key order and offers each one
// whose ImagePath ends with `program_name` to `take`, until `take` answers true.
// Entries without a readable ImagePath are passed over. Answers whether one was
// taken; raises the registry's exceptions when the Services key itself cannot be
// opened or listed.
bool take_first_service_by_image(const std::string& program_name,
                                 const std::function<bool(replay::registry2::key& services,
                                                          const std::wstring& key_name)>& take);

}  // namespace cleaning
