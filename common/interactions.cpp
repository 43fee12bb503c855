#include "interactions.h"
