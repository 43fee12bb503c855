// Tavrin-report: one self-contained HTML page of a run's results.
#pragma once

#include <ostream>

namespace tav {

int runReport(int argc, const char* const* argv, std::ostream& out);

}  // namespace tav
