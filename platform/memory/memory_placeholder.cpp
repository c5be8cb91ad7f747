#include "platform/memory/memory_platform.h"
