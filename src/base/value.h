// One value of a result column: Null, a whole number, a floating number or a text.
// Texts are narrow (GB18030) byte strings.
#pragma once

#include <cstdint>
#include <string>

namespace zenta {

class Value {
public:
    enum class Kind { Null, Integer, Real, Text };

    Value() = default;
    static Value Integer(std::int64_t number);
    static Value Real(double number);
    static Value Text(std::string narrow);

    Kind kind() const { return kind_; }
    bool IsNull() const { return kind_ == Kind::Null; }
    std::int64_t integer() const { return integer_; }
    double real() const { return real_; }
    const std::string& text() const { return text_; }

    // The value as text, a Null as empty text (what a column read by name gives).
    std::string AsString() const;
    // The value as text; a Null cannot be text and raises the conversion error.
    std::string ColumnText() const;
    // The value as a 32-bit whole number; a Null, a text that is no number, or a number
    // out of range raises the conversion error. Fractions round half to even.
    std::int32_t ColumnNumber() const;

    bool operator==(const Value& other) const = default;

private:
    Kind kind_ = Kind::Null;
    std::int64_t integer_ = 0;
    double real_ = 0;
    std::string text_;
};

// A floating number as the board's data base writes it: whole numbers below 10^15 as
// plain digits ("20021231143000"), others with up to 15 significant digits.
std::string FormatJetNumber(double number);

}  // namespace zenta
