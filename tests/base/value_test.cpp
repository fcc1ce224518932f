// The three readings of a value: as it is, as text, as a 32-bit number.
#include <gtest/gtest.h>

#include "base/errors.h"
#include "base/value.h"

namespace zenta {
namespace {

TEST(Value, AsStringGivesEmptyTextForNull) {
    EXPECT_EQ(Value().AsString(), "");
    EXPECT_EQ(Value::Integer(-42).AsString(), "-42");
    EXPECT_EQ(Value::Text("x").AsString(), "x");
}

TEST(Value, ColumnTextOfNullIsTheConversionError) {
    try {
        Value().ColumnText();
        FAIL();
    } catch (const ConversionError& e) {
        EXPECT_STREQ(e.what(), "无效的变量类型转换");
    }
}

TEST(Value, FloatingNumbersAreWrittenAsTheBoardsDataBaseWritesThem) {
    struct Case {
        double number;
        const char* text;
    } cases[] = {{20021231143000.0, "20021231143000"},
                 {20020423.0, "20020423"},
                 {-3.0, "-3"},
                 {0.5, "0.5"},
                 {1.25, "1.25"},
                 {1e20, "1E+20"},
                 {0.1 + 0.2, "0.3"},
                 {-0.0, "0"}};
    for (const Case& c : cases) EXPECT_EQ(Value::Real(c.number).AsString(), c.text) << c.text;
}

TEST(Value, ColumnNumberReadsWholeNumbersAndRefusesTheRest) {
    EXPECT_EQ(Value::Integer(3).ColumnNumber(), 3);
    EXPECT_EQ(Value::Text(" 7 ").ColumnNumber(), 7);
    EXPECT_EQ(Value::Text("-2").ColumnNumber(), -2);
    EXPECT_EQ(Value::Real(2.5).ColumnNumber(), 2);  // half to even
    EXPECT_EQ(Value::Real(3.5).ColumnNumber(), 4);
    const Value refused[] = {Value(),           Value::Text(""),           Value::Text("abc"),
                             Value::Text("1x"), Value::Integer(1LL << 40), Value::Real(1e12)};
    for (const Value& v : refused) EXPECT_THROW(v.ColumnNumber(), ConversionError) << v.AsString();
}

}  // namespace
}  // namespace zenta
