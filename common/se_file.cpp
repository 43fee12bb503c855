#include "se_file.h"
