#pragma once
#include "cleaning/registry/installer_components.h"
