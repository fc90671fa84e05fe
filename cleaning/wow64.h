#pragma once
#include "cleaning/environment/wow64.h"
