#include "picker/folder_validation.h"
