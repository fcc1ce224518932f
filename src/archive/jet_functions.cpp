#include "archive/jet_functions.h"

#include <sqlite3.h>

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

#include "base/value.h"

namespace zenta {
namespace {

// A value's text as Jet's cstr writes it; numbers in Jet's own form.
std::string TextOf(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER:
            return std::to_string(sqlite3_value_int64(v));
        case SQLITE_FLOAT:
            return FormatJetNumber(sqlite3_value_double(v));
        default: {
            const unsigned char* text = sqlite3_value_text(v);
            return text ? std::string(reinterpret_cast<const char*>(text), sqlite3_value_bytes(v)) : std::string();
        }
    }
}

void ResultText(sqlite3_context* ctx, const std::string& text) {
    sqlite3_result_text(ctx, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void Cstr(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    ResultText(ctx, TextOf(argv[0]));
}

// Byte offset of the character with 0-based index `chars` in UTF-8 text (or its size).
size_t Utf8Offset(std::string_view text, long long chars) {
    size_t i = 0;
    while (i < text.size() && chars > 0) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
        --chars;
    }
    return i;
}

void Mid(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    long long start = sqlite3_value_int64(argv[1]);
    long long length = argc > 2 ? sqlite3_value_int64(argv[2]) : -1;
    if (start < 1 || (argc > 2 && length < 0)) return sqlite3_result_error(ctx, "Invalid procedure call: mid", -1);
    std::string text = TextOf(argv[0]);
    size_t from = Utf8Offset(text, start - 1);
    size_t to = argc > 2 ? from + Utf8Offset(std::string_view(text).substr(from), length) : text.size();
    ResultText(ctx, text.substr(from, to - from));
}

bool IsNumber(sqlite3_value* v) {
    int type = sqlite3_value_type(v);
    return type == SQLITE_INTEGER || type == SQLITE_FLOAT;
}

// A text operand of an addition with a number must itself be a number.
bool NumberOf(sqlite3_value* v, double& number) {
    if (IsNumber(v)) {
        number = sqlite3_value_double(v);
        return true;
    }
    std::string text = TextOf(v);
    size_t b = text.find_first_not_of(' ');
    size_t e = text.find_last_not_of(' ');
    if (b == std::string::npos) return false;
    auto [end, ec] = std::from_chars(text.data() + b, text.data() + e + 1, number);
    return ec == std::errc() && end == text.data() + e + 1;
}

void JetAdd(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_value* a = argv[0];
    sqlite3_value* b = argv[1];
    if (sqlite3_value_type(a) == SQLITE_NULL || sqlite3_value_type(b) == SQLITE_NULL) return sqlite3_result_null(ctx);
    if (sqlite3_value_type(a) == SQLITE_INTEGER && sqlite3_value_type(b) == SQLITE_INTEGER) {
        long long sum;
        if (!__builtin_add_overflow(sqlite3_value_int64(a), sqlite3_value_int64(b), &sum))
            return sqlite3_result_int64(ctx, sum);
        return sqlite3_result_double(ctx, sqlite3_value_double(a) + sqlite3_value_double(b));
    }
    if (!IsNumber(a) && !IsNumber(b)) return ResultText(ctx, TextOf(a) + TextOf(b));
    double x = 0, y = 0;
    if (!NumberOf(a, x) || !NumberOf(b, y)) return sqlite3_result_error(ctx, "Data type mismatch in expression", -1);
    sqlite3_result_double(ctx, x + y);
}

}  // namespace

void RegisterJetFunctions(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(db, "cstr", 1, flags, nullptr, Cstr, nullptr, nullptr);
    sqlite3_create_function(db, "mid", 2, flags, nullptr, Mid, nullptr, nullptr);
    sqlite3_create_function(db, "mid", 3, flags, nullptr, Mid, nullptr, nullptr);
    sqlite3_create_function(db, "jet_add", 2, flags, nullptr, JetAdd, nullptr, nullptr);
}

}  // namespace zenta
