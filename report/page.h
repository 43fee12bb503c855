// The report page: the embedded template with its style sheet, scripts and
// the run's data (one JSON document) put in place.
#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace tav {

// The JSON text for a <script type="application/json"> element: '<', '>' and
// '&' become \u003c, \u003e, \u0026 (so no "</script>" or "<!--" can end the
// element early) and bytes that are not UTF-8 become U+FFFD.
std::string jsonForScript(const nlohmann::ordered_json& data);

// The template with every placeholder replaced once; placeholders inside the
// inserted texts are left alone.
std::string renderPage(std::string_view jsonText);

}  // namespace tav
