#include "similarity.h"
