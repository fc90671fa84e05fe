#pragma once
#include "tests/common/scripted_message_boxes.h"
