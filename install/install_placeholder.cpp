#include "install/install.h"
