// The page at "/": the category tree as nested lists, in the window's order; the nodes that a
// click in the window lists (the third level down and deeper) link to their forum listing.
#pragma once

#include <string>

namespace zenta {
class Connection;
}

namespace zenta::serve {

std::string TreePage(Connection& connection);

}  // namespace zenta::serve
