#pragma once

#include "support/text/codepage_converter.h"

namespace replay {
namespace unicode {

// The system's code pages, through to_wide / to_narrow. One shared instance.
const codepage_converter& system_converter();

}  // namespace unicode
}  // namespace replay
