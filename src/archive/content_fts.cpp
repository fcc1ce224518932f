#include "archive/content_fts.h"

#include <sqlite3.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "archive/content_words.h"
#include "base/errors.h"

namespace zenta {
namespace {

fts5_api* Fts5Api(sqlite3* db) {
    fts5_api* api = nullptr;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &stmt, nullptr) == SQLITE_OK) {
        sqlite3_bind_pointer(stmt, 1, static_cast<void*>(&api), "fts5_api_ptr", nullptr);
        sqlite3_step(stmt);
    }
    sqlite3_finalize(stmt);
    return api;
}

// The tokenizer keeps no state: every call reads its text alone.
int CreatePairs(void*, const char**, int, Fts5Tokenizer** tokenizer) {
    static int none;
    *tokenizer = reinterpret_cast<Fts5Tokenizer*>(&none);
    return SQLITE_OK;
}

void DeletePairs(Fts5Tokenizer*) {}

// Calls `token` with each token of the text and its byte range, until it fails.
template <class Visit>
int Tokens(std::string_view text, bool query, Visit&& token) {
    char pair[8];
    for (std::size_t at = 0; at < text.size();) {
        if (IsBlank(static_cast<unsigned char>(text[at]))) {
            ++at;
            continue;
        }
        std::size_t first = CharacterLength(text, at);
        std::size_t next = at + first;
        bool alone = next >= text.size() || IsBlank(static_cast<unsigned char>(text[next]));
        std::size_t length = first + (alone ? 0 : CharacterLength(text, next));
        // A query's last character stands alone only when it is the whole word: the phrase of
        // a longer word is its pairs.
        if (alone && query && at > 0 && !IsBlank(static_cast<unsigned char>(text[at - 1]))) {
            at = next;
            continue;
        }
        for (std::size_t i = 0; i < length; ++i) {
            char c = text[at + i];
            pair[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        }
        if (int rc = token(std::string_view(pair, length), at, at + length); rc != SQLITE_OK) return rc;
        at = next;
    }
    return SQLITE_OK;
}

int Tokenize(Fts5Tokenizer*, void* context, int flags, const char* data, int size,
             int (*token)(void*, int, const char*, int, int, int)) {
    return Tokens(std::string_view(data, static_cast<std::size_t>(size)), (flags & FTS5_TOKENIZE_QUERY) != 0,
                  [&](std::string_view pair, std::size_t begin, std::size_t end) {
                      return token(context, 0, pair.data(), static_cast<int>(pair.size()), static_cast<int>(begin),
                                   static_cast<int>(end));
                  });
}

void Hits(const Fts5ExtensionApi* api, Fts5Context* fts, sqlite3_context* result, int, sqlite3_value**) {
    int count = 0;
    if (int rc = api->xInstCount(fts, &count); rc != SQLITE_OK) return sqlite3_result_error_code(result, rc);
    std::vector<std::int32_t> triples;
    triples.reserve(static_cast<std::size_t>(count) * 3);
    for (int i = 0; i < count; ++i) {
        int phrase = 0, column = 0, position = 0;
        if (int rc = api->xInst(fts, i, &phrase, &column, &position); rc != SQLITE_OK)
            return sqlite3_result_error_code(result, rc);
        triples.insert(triples.end(), {phrase, column, position});
    }
    sqlite3_result_blob(result, triples.data(), static_cast<int>(triples.size() * sizeof(std::int32_t)),
                        SQLITE_TRANSIENT);
}

}  // namespace

void RegisterContentFts(sqlite3* db) {
    fts5_api* api = Fts5Api(db);
    if (!api) throw DatabaseError("The SQLite library has no FTS5, which the content index needs");
    fts5_tokenizer pairs{CreatePairs, DeletePairs, Tokenize};
    if (api->xCreateTokenizer(api, "zenta_pairs", nullptr, &pairs, nullptr) != SQLITE_OK)
        throw DatabaseError(sqlite3_errmsg(db));
    if (api->xCreateFunction(api, "zenta_hits", nullptr, Hits, nullptr) != SQLITE_OK)
        throw DatabaseError(sqlite3_errmsg(db));
}

void ForEachContentToken(std::string_view text, const std::function<void(std::string_view token)>& visit) {
    Tokens(text, false, [&](std::string_view pair, std::size_t, std::size_t) {
        visit(pair);
        return SQLITE_OK;
    });
}

}  // namespace zenta
