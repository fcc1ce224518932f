#include "base/value.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "base/errors.h"
#include "base/trim.h"

namespace zenta {

Value Value::Integer(std::int64_t number) {
    Value v;
    v.kind_ = Kind::Integer;
    v.integer_ = number;
    return v;
}

Value Value::Real(double number) {
    Value v;
    v.kind_ = Kind::Real;
    v.real_ = number;
    return v;
}

Value Value::Text(std::string narrow) {
    Value v;
    v.kind_ = Kind::Text;
    v.text_ = std::move(narrow);
    return v;
}

std::string FormatJetNumber(double number) {
    if (std::isnan(number)) return "NaN";
    if (std::isinf(number)) return number < 0 ? "-Infinity" : "Infinity";
    char buffer[64];
    if (number == std::floor(number) && std::fabs(number) < 1e15) {
        std::snprintf(buffer, sizeof buffer, "%.0f", number);
        std::string text = buffer;
        return text == "-0" ? "0" : text;
    }
    std::snprintf(buffer, sizeof buffer, "%.15G", number);
    std::string text = buffer;
    // Drop trailing zeros of the fraction that %G keeps in exponent form ("1.50000E+20").
    auto e = text.find('E');
    std::string mantissa = text.substr(0, e);
    std::string exponent = e == std::string::npos ? "" : text.substr(e);
    if (mantissa.find('.') != std::string::npos) {
        while (!mantissa.empty() && mantissa.back() == '0') mantissa.pop_back();
        if (!mantissa.empty() && mantissa.back() == '.') mantissa.pop_back();
    }
    return mantissa + exponent;
}

std::string Value::AsString() const {
    switch (kind_) {
        case Kind::Null:
            return {};
        case Kind::Integer:
            return std::to_string(integer_);
        case Kind::Real:
            return FormatJetNumber(real_);
        case Kind::Text:
            return text_;
    }
    return {};
}

std::string Value::ColumnText() const {
    if (kind_ == Kind::Null) throw ConversionError();
    return AsString();
}

namespace {

std::int32_t RoundToInt32(double number) {
    if (!std::isfinite(number)) throw ConversionError();
    double rounded = std::nearbyint(number);  // the default rounding mode is half to even
    if (rounded < std::numeric_limits<std::int32_t>::min() || rounded > std::numeric_limits<std::int32_t>::max())
        throw ConversionError();
    return static_cast<std::int32_t>(rounded);
}

}  // namespace

std::int32_t Value::ColumnNumber() const {
    switch (kind_) {
        case Kind::Null:
            throw ConversionError();
        case Kind::Integer:
            if (integer_ < std::numeric_limits<std::int32_t>::min() ||
                integer_ > std::numeric_limits<std::int32_t>::max())
                throw ConversionError();
            return static_cast<std::int32_t>(integer_);
        case Kind::Real:
            return RoundToInt32(real_);
        case Kind::Text: {
            std::string text = Trim(text_);
            if (!text.empty() && text[0] == '+') text.erase(0, 1);
            double number = 0;
            auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
            if (text.empty() || ec != std::errc() || end != text.data() + text.size()) throw ConversionError();
            return RoundToInt32(number);
        }
    }
    throw ConversionError();
}

}  // namespace zenta
