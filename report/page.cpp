#include "page.h"

#include <array>
#include <utility>

#include "embedded_assets.h"

namespace tav {

std::string jsonForScript(const nlohmann::ordered_json& data) {
  const std::string text = data.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  // Outside strings JSON has none of the three characters, so escaping them
  // everywhere only ever touches string contents.
  for (char c : text) {
    switch (c) {
      case '<':
        out += "\\u003c";
        break;
      case '>':
        out += "\\u003e";
        break;
      case '&':
        out += "\\u0026";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string renderPage(std::string_view jsonText) {
  const std::array<std::pair<std::string_view, std::string_view>, 4> parts = {{
      {"/*@STYLE@*/", embeddedAsset("style")},
      {"/*@CYTOSCAPE@*/", embeddedAsset("cytoscape")},
      {"/*@SCRIPT@*/", embeddedAsset("script")},
      {"/*@DATA@*/", jsonText},
  }};
  const std::string_view page = embeddedAsset("template");
  std::string out;
  size_t size = page.size();
  for (const auto& part : parts) size += part.second.size();
  out.reserve(size);
  size_t at = 0;
  for (;;) {
    // The earliest placeholder still ahead; each is used once, in any order.
    size_t next = std::string_view::npos;
    const std::pair<std::string_view, std::string_view>* found = nullptr;
    for (const auto& part : parts) {
      const size_t p = page.find(part.first, at);
      if (p < next) {
        next = p;
        found = &part;
      }
    }
    if (found == nullptr) break;
    out.append(page.substr(at, next - at));
    out.append(found->second);
    at = next + found->first.size();
  }
  out.append(page.substr(at));
  return out;
}

}  // namespace tav
