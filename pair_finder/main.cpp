#include <iostream>

#include "pair_finder.h"

int main(int argc, char** argv) { return tav::runPairFinder(argc, argv, std::cout); }
