#include <iostream>

#include "motifs_driver.h"

int main(int argc, char** argv) { return tav::runMotifConverter(argc, argv, std::cout); }
