// The page's files, built into the program: index.html, app.js, app.css.
#ifndef TESSALINK_UI_PAGE_ASSETS_H
#define TESSALINK_UI_PAGE_ASSETS_H

#include <string>

namespace ui {

// The file's bytes; "" for a name that is not one of them.
std::string PageAsset(const std::string &name);

}  // namespace ui

#endif
