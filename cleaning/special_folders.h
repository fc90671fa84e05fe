#pragma once
#include "cleaning/environment/special_folders.h"
