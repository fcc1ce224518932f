#include "serve/topic_table_page.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "archive/query.h"
#include "base/codepage.h"
#include "serve/html.h"

namespace zenta::serve {
namespace {

constexpr std::size_t kMessageStart = 160;  // bytes, as the window's grid shows

using Fill = std::function<void(Query& rs, const TopicKeyRange& range)>;

// One page of rows, in the list's order, and whether rows lie before and after it.
struct TopicPage {
    std::vector<TopicRow> rows;
    bool earlier = false;
    bool later = false;
};

// Reads a page and one row more, to know whether another page follows; closes the list at
// once, so that no read lasts beyond the request.
std::vector<TopicRow> ReadRows(const Fill& fill, const TopicKeyRange& range) {
    Query rs;
    fill(rs, range);
    std::vector<TopicRow> rows;
    for (; !rs.Eof() && rows.size() <= kTopicsAPage; rs.Next()) rows.push_back(ReadTopicRow(rs));
    rs.Close();
    return rows;
}

TopicPage ReadPage(const Fill& fill, const TopicKeyRange& range) {
    TopicPage page;
    page.rows = ReadRows(fill, range);
    if (range.side == TopicKeyRange::Side::Above) {
        // Fewer than a page above the key: the page before it is the first page.
        if (page.rows.size() < kTopicsAPage) return ReadPage(fill, {});
        page.earlier = page.rows.size() > kTopicsAPage;
        page.later = true;
        if (page.earlier) page.rows.pop_back();
        std::reverse(page.rows.begin(), page.rows.end());
        return page;
    }
    page.earlier = range.side == TopicKeyRange::Side::Below;
    page.later = page.rows.size() > kTopicsAPage;
    if (page.later) page.rows.pop_back();
    return page;
}

std::string Cell(const Value& value) { return EscapeHtml(FromNarrow(value.AsString())); }

std::string Table(const TopicPage& page) {
    std::string html = "<div class=\"scroll\"><table><thead><tr>";
    for (const char* name : kTopicRowColumns) html += "<th>" + std::string(name) + "</th>";
    html += "</tr></thead><tbody>\n";
    for (const TopicRow& row : page.rows) {
        html += "<tr>";
        for (std::size_t i = 0; i < row.size(); ++i) {
            const Value& value = row[i];
            bool number = value.kind() == Value::Kind::Integer || value.kind() == Value::Kind::Real;
            if (i == topic_row::kTitle || i == topic_row::kTopicId) {
                // The key links too, for a topic without a title.
                html += i == topic_row::kTopicId ? "<td class=\"number\">" : "<td>";
                html += "<a href=\"/topic/" + row[topic_row::kTopicId].AsString() + "\">" + Cell(value) + "</a></td>";
            } else if (i == topic_row::kMessage) {
                html += "<td class=\"message\">" +
                        EscapeHtml(FromNarrow(NarrowStart(value.AsString(), kMessageStart))) + "</td>";
            } else {
                html += number ? "<td class=\"number\">" : "<td>";
                html += Cell(value) + "</td>";
            }
        }
        html += "</tr>\n";
    }
    html += "</tbody></table></div>";
    return html;
}

// The links to other pages; `link` is the list's own address, with its query begun.
std::string Navigation(const TopicPage& page, const std::string& link) {
    if (page.rows.empty()) return "";
    std::string html = "<nav class=\"pages\">";
    if (page.earlier) {
        html += "<a href=\"" + link + "\">First page</a>";
        html += "<a rel=\"prev\" href=\"" + link + "&amp;above=" + page.rows.front()[topic_row::kTopicId].AsString() +
                "\">Previous page</a>";
    }
    if (page.later)
        html += "<a rel=\"next\" href=\"" + link + "&amp;below=" + page.rows.back()[topic_row::kTopicId].AsString() +
                "\">Next page</a>";
    return html + "</nav>";
}

std::string TopicTablePage(const std::string& title, const std::string& kind, const std::string& words,
                           const Fill& fill, const TopicKeyRange& range, const std::string& link) {
    TopicPage page = ReadPage(fill, range);
    std::string html = PageStart(title, kind, words);
    html += "<h1>" + EscapeHtml(title) + "</h1>";
    html += page.rows.empty() ? "<p class=\"note\">No topics.</p>" : Table(page);
    html += Navigation(page, link);
    return html + PageEnd();
}

}  // namespace

std::string ForumListingPage(Connection& connection, const std::string& caption, const TopicKeyRange& range) {
    std::string narrow = ToNarrow(caption);
    Fill fill = [&](Query& rs, const TopicKeyRange& r) { ListForumTopics(rs, connection, narrow, r); };
    return TopicTablePage(caption, "", "", fill, range, "/forum?caption=" + EncodeUrlComponent(caption));
}

std::string SearchResultsPage(Connection& connection, const SearchKind& kind, const std::string& words,
                              const TopicKeyRange& range) {
    std::string narrow = ToNarrow(words);
    Fill fill = [&](Query& rs, const TopicKeyRange& r) { SearchTopics(rs, connection, kind.by, narrow, r); };
    return TopicTablePage(std::string(kind.label) + ": " + words, kind.name, words, fill, range,
                          "/search?by=" + std::string(kind.name) + "&amp;words=" + EncodeUrlComponent(words));
}

}  // namespace zenta::serve
