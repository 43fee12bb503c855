#include <iostream>

#include "report_driver.h"

int main(int argc, char** argv) { return tav::runReport(argc, argv, std::cout); }
