#pragma once
#include "cleaning/services/services.h"
