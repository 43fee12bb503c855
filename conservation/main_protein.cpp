#include <iostream>

#include "conservation_driver.h"

int main(int argc, char** argv) {
  return tav::runConservation(argc, argv, std::cout, tav::ConservationAlphabet::Protein);
}
