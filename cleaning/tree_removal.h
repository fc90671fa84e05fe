#pragma once
#include "cleaning/files/tree_removal.h"
