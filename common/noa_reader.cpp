#include "noa_reader.h"
