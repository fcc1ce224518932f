// The served pages' common parts, in UTF-8: escaping of texts and link values, the frame
// every page shares (head, the bar with the tree link and the search form, the end) and the
// style sheet. Every text from the archive or the URL passes through an escape here.
#pragma once

#include <string>
#include <string_view>
#include "archive/topic_list.h"

namespace zenta::serve {

// The text with & < > " ' as character references.
std::string EscapeHtml(std::string_view text);

// The text as one component of a URL's query: every byte but letters, digits and -._~
// percent-encoded.
std::string EncodeUrlComponent(std::string_view text);

// The kinds of search the form offers, the first checked unless another is asked for: the
// name in the URL, the label, and what the core matches. Another kind is one more entry.
struct SearchKind {
    const char* name;
    const char* label;
    SearchBy by;
};
inline constexpr SearchKind kSearchKinds[] = {{"title", "Article Title", SearchBy::Title},
                                              {"author", "Article Author", SearchBy::Author}};

// The page's start up to the opening of its main part: the title, and the search form with
// `kind` checked and `words` filled in.
std::string PageStart(std::string_view title, std::string_view kind = "", std::string_view words = "");

// The page's end.
std::string PageEnd();

// The bytes of /style.css.
std::string_view StyleSheet();

}  // namespace zenta::serve
