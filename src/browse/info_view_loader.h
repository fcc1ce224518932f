// Shows a page of HTML held in memory (narrow GB18030 bytes, no charset of its own) in a
// web view, replacing its current document.
#pragma once

#include <string>

namespace zenta {

class WebBrowser;

// Does nothing on a view that has never navigated (it holds no document yet).
void LoadHtmlIntoBrowser(WebBrowser* view, const std::string& text);

}  // namespace zenta
