#include "acad/acad_release_table.h"
