#pragma once
#include "cleaning/processes/processes.h"
