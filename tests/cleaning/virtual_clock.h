#pragma once
#include "tests/common/virtual_clock.h"
