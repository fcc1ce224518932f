// The main browser's home address and the four site links of the Configure page. The
// addresses lie under the reserved "example" domain.
#pragma once

namespace zenta {

inline constexpr const char* kHomeAddress = "http://www.zenta.example";

inline constexpr const char* kSiteLinks[] = {
    "http://www.zenta.example/",                       // the board's own home page
    "http://www.devforum.example/",                    // a second programming forum
    "http://www.expertsite.example/Expert/Forum.asp",  // a third site's forum page
    "http://search.expertsite.example/",               // that site's search service
};

}  // namespace zenta
