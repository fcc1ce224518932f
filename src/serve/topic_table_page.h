// The pages of topic rows: a forum's listing and a search's results, 50 rows a page as a
// table of the ten columns (the message cut as the window's grid cuts it), each title linking
// to its topic page, with links to the first, previous and next pages by key.
#pragma once

#include <cstddef>
#include <string>

#include "archive/topic_list.h"

namespace zenta {
class Connection;
}

namespace zenta::serve {

struct SearchKind;

inline constexpr std::size_t kTopicsAPage = 50;

// The listing of the forums named `caption` (UTF-8), from the range's key.
std::string ForumListingPage(Connection& connection, const std::string& caption, const TopicKeyRange& range);

// The rows of a search for `words` (UTF-8, not blank), from the range's key.
std::string SearchResultsPage(Connection& connection, const SearchKind& kind, const std::string& words,
                              const TopicKeyRange& range);

}  // namespace zenta::serve
