#include "archive/jet_sql.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace zenta {
namespace {

enum class Kind { Space, Word, Number, String, Param, Operator, Comma, Open, Close, Other };

struct Token {
    Kind kind;
    std::string text;
};

bool IsWordByte(unsigned char c) { return std::isalnum(c) || c == '_' || c == '$' || c >= 0x80; }

std::vector<Token> Tokenize(std::string_view sql) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < sql.size()) {
        unsigned char c = sql[i];
        size_t start = i;
        if (std::isspace(c)) {
            while (i < sql.size() && std::isspace(static_cast<unsigned char>(sql[i]))) ++i;
            tokens.push_back({Kind::Space, std::string(sql.substr(start, i - start))});
        } else if (std::isdigit(c) ||
                   (c == '.' && i + 1 < sql.size() && std::isdigit(static_cast<unsigned char>(sql[i + 1])))) {
            while (i < sql.size() && (std::isdigit(static_cast<unsigned char>(sql[i])) || sql[i] == '.')) ++i;
            if (i < sql.size() && (sql[i] == 'e' || sql[i] == 'E')) {
                size_t j = i + 1;
                if (j < sql.size() && (sql[j] == '+' || sql[j] == '-')) ++j;
                if (j < sql.size() && std::isdigit(static_cast<unsigned char>(sql[j]))) {
                    i = j;
                    while (i < sql.size() && std::isdigit(static_cast<unsigned char>(sql[i]))) ++i;
                }
            }
            tokens.push_back({Kind::Number, std::string(sql.substr(start, i - start))});
        } else if (IsWordByte(c)) {
            while (i < sql.size() && IsWordByte(static_cast<unsigned char>(sql[i]))) ++i;
            tokens.push_back({Kind::Word, std::string(sql.substr(start, i - start))});
        } else if (c == '\'' || c == '"') {
            // Jet takes both quotes for strings; the engine wants single quotes.
            std::string body;
            ++i;
            while (i < sql.size()) {
                if (sql[i] == static_cast<char>(c)) {
                    if (i + 1 < sql.size() && sql[i + 1] == static_cast<char>(c)) {
                        body += sql[i];
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                body += sql[i++];
            }
            std::string quoted = "'";
            for (char ch : body) {
                quoted += ch;
                if (ch == '\'') quoted += '\'';
            }
            tokens.push_back({Kind::String, quoted + "'"});
        } else if (c == '[' || c == '`') {
            char close = c == '[' ? ']' : '`';
            while (i < sql.size() && sql[i] != close) ++i;
            if (i < sql.size()) ++i;
            tokens.push_back({Kind::Word, std::string(sql.substr(start, i - start))});
        } else if (c == '?') {
            ++i;
            tokens.push_back({Kind::Param, "?"});
        } else if (c == ',') {
            ++i;
            tokens.push_back({Kind::Comma, ","});
        } else if (c == '(') {
            ++i;
            tokens.push_back({Kind::Open, "("});
        } else if (c == ')') {
            ++i;
            tokens.push_back({Kind::Close, ")"});
        } else {
            static const char* const kTwoByte[] = {"<=", ">=", "<>", "!=", "==", "||"};
            std::string_view rest = sql.substr(i);
            auto two = std::find_if(std::begin(kTwoByte), std::end(kTwoByte),
                                    [&](const char* op) { return rest.starts_with(op); });
            size_t length = two != std::end(kTwoByte) ? 2 : 1;
            i += length;
            tokens.push_back(
                {std::string_view("+-*/%<>=&|;").find(c) != std::string_view::npos ? Kind::Operator : Kind::Other,
                 std::string(sql.substr(start, length))});
        }
    }
    return tokens;
}

// A token, or a parenthesised group of items.
struct Item {
    const Token* token = nullptr;
    std::vector<Item> group;
    bool closed = false;  // the group had its closing parenthesis
};

// Reads items up to the closing parenthesis of the group (inside) or to the end; a stray
// closing parenthesis at the top level stays a plain token for the engine to refuse.
std::vector<Item> Nest(const std::vector<Token>& tokens, size_t& i, bool inside, bool* closed) {
    std::vector<Item> items;
    while (i < tokens.size()) {
        const Token& t = tokens[i++];
        if (t.kind == Kind::Open) {
            Item group;
            group.group = Nest(tokens, i, true, &group.closed);
            items.push_back(std::move(group));
        } else if (t.kind == Kind::Close && inside) {
            *closed = true;
            return items;
        } else {
            items.push_back(Item{&t, {}, false});
        }
    }
    return items;
}

bool IsBoundaryWord(const std::string& word) {
    static const char* const kWords[] = {
        "select", "from",   "where",    "and", "or",     "not",  "order",  "by",     "group",  "having", "as",
        "in",     "like",   "between",  "is",  "on",     "join", "inner",  "left",   "right",  "outer",  "cross",
        "union",  "all",    "distinct", "top", "asc",    "desc", "when",   "then",   "else",   "end",    "case",
        "limit",  "offset", "escape",   "set", "values", "into", "insert", "update", "delete", "exists"};
    std::string lower = word;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return std::find(std::begin(kWords), std::end(kWords), lower) != std::end(kWords);
}

bool IsBoundary(const Item& item) {
    if (!item.token) return false;
    const Token& t = *item.token;
    if (t.kind == Kind::Comma) return true;
    if (t.kind == Kind::Word) return IsBoundaryWord(t.text);
    if (t.kind == Kind::Operator)
        return t.text == "=" || t.text == "==" || t.text == "<" || t.text == ">" || t.text == "<=" || t.text == ">=" ||
               t.text == "<>" || t.text == "!=" || t.text == ";";
    return false;
}

bool IsOperand(const Item& item) {
    if (!item.token) return true;
    Kind k = item.token->kind;
    return k == Kind::Word || k == Kind::Number || k == Kind::String || k == Kind::Param;
}

std::string Render(const std::vector<Item>& items);

std::string RenderItem(const Item& item) {
    if (item.token) return item.token->text;
    return "(" + Render(item.group) + (item.closed ? ")" : "");
}

// One run of operands and arithmetic operators between two boundaries. Terms are split at
// binary + and -; the additions are nested left to right, as the operators associate.
std::string RenderArithmetic(std::vector<const Item*> run) {
    auto isSpace = [](const Item* item) { return item->token && item->token->kind == Kind::Space; };
    std::string before, after;
    while (!run.empty() && isSpace(run.front())) {
        before += run.front()->token->text;
        run.erase(run.begin());
    }
    while (!run.empty() && isSpace(run.back())) {
        after.insert(0, run.back()->token->text);
        run.pop_back();
    }
    std::vector<std::string> terms(1);
    std::vector<std::string> ops;
    bool afterOperand = false;
    for (const Item* item : run) {
        const Token* t = item->token;
        if (t && t->kind == Kind::Operator && (t->text == "+" || t->text == "-") && afterOperand) {
            ops.push_back(t->text);
            terms.emplace_back();
            afterOperand = false;
            continue;
        }
        terms.back() += RenderItem(*item);
        if (t && t->kind == Kind::Space) continue;
        afterOperand = IsOperand(*item);
    }
    if (std::find(ops.begin(), ops.end(), "+") == ops.end()) {
        std::string out = terms[0];
        for (size_t i = 0; i < ops.size(); ++i) out += ops[i] + terms[i + 1];
        return before + out + after;
    }
    std::string acc = terms[0];
    for (size_t i = 0; i < ops.size(); ++i)
        acc = ops[i] == "+" ? "jet_add(" + acc + "," + terms[i + 1] + ")" : "(" + acc + "-" + terms[i + 1] + ")";
    return before + acc + after;
}

std::string Render(const std::vector<Item>& items) {
    std::string out;
    std::vector<const Item*> run;
    const Item* lastSolid = nullptr;  // the last item of the run that is not white space
    auto flush = [&] {
        out += RenderArithmetic(run);
        run.clear();
        lastSolid = nullptr;
    };
    for (const Item& item : items) {
        if (IsBoundary(item)) {
            flush();
            out += item.token->text;
            continue;
        }
        bool isSpace = item.token && item.token->kind == Kind::Space;
        if (!isSpace && lastSolid && IsOperand(*lastSolid) && IsOperand(item)) {
            // Two operands in a row: a function call when a name meets a group, else the
            // end of one expression (an alias, say) and the start of the next.
            bool call = !item.token && lastSolid->token && lastSolid->token->kind == Kind::Word;
            if (!call) flush();
        }
        run.push_back(&item);
        if (!isSpace) lastSolid = &item;
    }
    flush();
    return out;
}

}  // namespace

std::string TranslateJetSql(std::string_view jet) {
    std::vector<Token> tokens = Tokenize(jet);
    size_t i = 0;
    return Render(Nest(tokens, i, false, nullptr));
}

}  // namespace zenta
