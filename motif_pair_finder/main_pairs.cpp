#include <iostream>

#include "motif_pair_finder.h"

int main(int argc, char** argv) {
  return tav::runMotifPairFinder(argc, argv, std::cout, tav::MotifFinderVariant::Pairs);
}
