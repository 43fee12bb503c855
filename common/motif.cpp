#include "motif.h"
