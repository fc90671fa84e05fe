#pragma once
#include "cleaning/registry/shared_dll_counters.h"
