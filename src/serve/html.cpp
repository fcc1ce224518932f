#include "serve/html.h"

#include "archive/category_tree.h"

namespace zenta::serve {

std::string EscapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string EncodeUrlComponent(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                     c == '.' || c == '_' || c == '~';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string PageStart(std::string_view title, std::string_view kind, std::string_view words) {
    std::string page =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
        "<link rel=\"stylesheet\" href=\"/style.css\"><title>";
    page += EscapeHtml(title);
    page += "</title></head>\n<body><header><a class=\"home\" href=\"/\">";
    page += kTreeRootCaption;
    page += "</a><form action=\"/search\" method=\"get\"><input type=\"search\" name=\"words\" value=\"";
    page += EscapeHtml(words);
    page += "\" aria-label=\"Words\">";
    for (const SearchKind& offered : kSearchKinds) {
        bool checked = offered.name == kind || (kind.empty() && &offered == &kSearchKinds[0]);
        page += "<label><input type=\"radio\" name=\"by\" value=\"";
        page += offered.name;
        page += checked ? "\" checked>" : "\">";
        page += offered.label;
        page += "</label>";
    }
    page += "<button type=\"submit\">Search</button></form></header>\n<main>";
    return page;
}

std::string PageEnd() { return "</main></body></html>\n"; }

std::string_view StyleSheet() {
    return R"(body{margin:0;font:15px/1.45 sans-serif;color:#111;background:#fff}
header{display:flex;flex-wrap:wrap;gap:.5em 1em;align-items:center;padding:.5em .8em;background:#339966}
header a.home{color:#fff;font-weight:bold;text-decoration:none}
header form{display:flex;flex-wrap:wrap;gap:.3em .6em;align-items:center;color:#fff}
header input[type=search]{min-width:12em;flex:1}
main{padding:.5em .8em}
h1{font-size:1.2em;margin:.4em 0}
ul.tree{list-style:none;padding-left:1.1em;margin:.1em 0}
ul.tree.root{padding-left:0}
.scroll{overflow-x:auto}
table{border-collapse:collapse;font-size:.92em}
th,td{border:1px solid #bbb;padding:.25em .45em;vertical-align:top;text-align:left}
th{background:#eee}
td.number{text-align:right}
td.message{max-width:24em;overflow-wrap:anywhere;color:#555}
nav.pages{display:flex;gap:1.2em;margin:.7em 0}
p.note{color:#555}
)";
}

}  // namespace zenta::serve
