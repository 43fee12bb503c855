#include "fasta.h"
