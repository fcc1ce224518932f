#include "serve/site.h"

#include <charconv>
#include <optional>

#include "archive/query.h"
#include "archive/topic_list.h"
#include "base/errors.h"
#include "render/topic_page.h"
#include "serve/html.h"
#include "serve/topic_table_page.h"
#include "serve/tree_page.h"

namespace zenta::serve {
namespace {

constexpr const char* kHtml = "text/html; charset=utf-8";

// No script runs and no frame loads, whatever an archived page holds; images may come from
// anywhere, as in the window, but they learn nothing of the page that shows them.
void AddPolicy(Response& response) {
    response.headers.insert(
        response.headers.end(),
        {{"Content-Security-Policy",
          "default-src 'none'; script-src 'none'; style-src 'self' 'unsafe-inline'; img-src * data:; "
          "frame-src 'none'; frame-ancestors 'none'; form-action 'self'; base-uri 'none'; "
          "sandbox allow-forms allow-same-origin"},
         {"X-Content-Type-Options", "nosniff"},
         {"X-Frame-Options", "DENY"},
         {"Referrer-Policy", "no-referrer"},
         {"Cache-Control", "no-cache"}});
}

std::string_view StatusText(int status) {
    switch (status) {
        case 400:
            return "Bad Request";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 503:
            return "Service Unavailable";
    }
    return "Error";
}

Response ErrorPage(int status, const std::string& why) {
    std::string title = std::to_string(status) + " " + std::string(StatusText(status));
    std::string body = PageStart(title) + "<h1>" + title + "</h1><p>" + EscapeHtml(why) + "</p>" + PageEnd();
    return Response(status, kHtml, std::move(body));
}

// Whether the bytes are UTF-8: no stray or missing continuation, no overlong form, no
// surrogate, nothing above U+10FFFF.
bool IsUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        unsigned char c = text[i];
        size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        char32_t point = length == 1 ? c : c & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            unsigned char next = text[i + k];
            if ((next & 0xC0) != 0x80) return false;
            point = (point << 6) | (next & 0x3F);
        }
        static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (point < kLeast[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

// A key in the URL: decimal digits only, as TOPIC_IDs are.
std::optional<std::int64_t> Key(std::string_view text) {
    std::int64_t key = 0;
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    std::from_chars(text.data(), text.data() + text.size(), key);
    return key;
}

const std::string* Argument(const Request& request, const std::string& name) {
    auto found = request.arguments.find(name);
    return found == request.arguments.end() ? nullptr : &found->second;
}

// The range of a listing or a search from "below" or "above"; nullopt when it is malformed.
std::optional<TopicKeyRange> Range(const Request& request) {
    const std::string* below = Argument(request, "below");
    const std::string* above = Argument(request, "above");
    if (below && above) return std::nullopt;
    if (!below && !above) return TopicKeyRange{};
    std::optional<std::int64_t> key = Key(below ? *below : *above);
    if (!key) return std::nullopt;
    return TopicKeyRange{below ? TopicKeyRange::Side::Below : TopicKeyRange::Side::Above, *key};
}

Response Page(std::string html) { return Response(200, kHtml, std::move(html)); }

Response TopicPage(Connection& connection, std::string_view id) {
    std::optional<std::int64_t> key = Key(id);
    if (!key) return ErrorPage(404, "There is no such page.");
    Query rs;
    OpenTopicRow(rs, connection, *key);
    if (rs.Eof()) return ErrorPage(404, "No listed topic has this TOPIC_ID.");
    TopicRow row = ReadTopicRow(rs);
    rs.Close();
    return Response(200, "text/html; charset=GB18030", MakeTopicPage(connection, row));
}

Response Search(const Request& request, Connection& connection) {
    const SearchKind* kind = &kSearchKinds[0];
    if (const std::string* by = Argument(request, "by")) {
        kind = nullptr;
        for (const SearchKind& offered : kSearchKinds)
            if (*by == offered.name) kind = &offered;
        if (!kind) return ErrorPage(400, "There is no such kind of search.");
    }
    const std::string* words = Argument(request, "words");
    if (!words)
        return Page(PageStart("Search", kind->name) + "<p class=\"note\">Type the words to search for.</p>" +
                    PageEnd());
    std::optional<TopicKeyRange> range = Range(request);
    if (!range) return ErrorPage(400, "The page's key is not a TOPIC_ID.");
    // Blank words are refused as the window refuses them, before any statement runs.
    if (words->find_first_not_of(" \t\r\n\v\f") == std::string::npos)
        return ErrorPage(400, "Please Input Query Condition，Thanks!");
    return Page(SearchResultsPage(connection, *kind, *words, *range));
}

}  // namespace

Response Site::Handle(const Request& request) {
    Response response;
    if (request.method != "GET" && request.method != "HEAD") {
        response = ErrorPage(405, "Only GET and HEAD are served.");
        response.headers.emplace_back("Allow", "GET, HEAD");
    } else {
        bool utf8 = IsUtf8(request.path);
        for (const auto& [name, value] : request.arguments) utf8 = utf8 && IsUtf8(name) && IsUtf8(value);
        if (!utf8) {
            response = ErrorPage(400, "The address is not UTF-8.");
        } else {
            try {
                ArchivePool::Lease connection = pool_.Borrow();
                response = Route(request, *connection);
            } catch (const Error& e) {
                // The reason goes to the log only: it may name the archive's file.
                response = ErrorPage(503, "The archive cannot be read just now.");
                response.logNote = e.what();
            }
        }
    }
    AddPolicy(response);
    return response;
}

Response Site::Route(const Request& request, Connection& connection) {
    const std::string& path = request.path;
    if (path == "/") return Page(TreePage(connection));
    if (path == "/style.css") return Response(200, "text/css; charset=utf-8", std::string(StyleSheet()));
    if (path == "/search") return Search(request, connection);
    if (path == "/forum") {
        const std::string* caption = Argument(request, "caption");
        std::optional<TopicKeyRange> range = Range(request);
        if (!caption || !range) return ErrorPage(400, "A listing needs a forum's caption and at most one key.");
        return Page(ForumListingPage(connection, *caption, *range));
    }
    if (path.starts_with("/topic/")) return TopicPage(connection, std::string_view(path).substr(7));
    return ErrorPage(404, "There is no such page.");
}

}  // namespace zenta::serve
