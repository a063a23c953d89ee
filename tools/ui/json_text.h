// JSON as the page's server sends it: compact, and whole even where a name
// from the handheld is no valid UTF-8 (such bytes become U+FFFD).
#ifndef TESSALINK_UI_JSON_TEXT_H
#define TESSALINK_UI_JSON_TEXT_H

#include <string>

#include <nlohmann/json.hpp>

namespace ui {

inline std::string JsonText(const nlohmann::json &value)
{
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace ui

#endif
