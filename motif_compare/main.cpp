#include <iostream>

#include "simvale_driver.h"

int main(int argc, char** argv) { return tav::runSimvale(argc, argv, std::cout); }
