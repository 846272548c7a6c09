#include "components/UDNmEdit/NumeralText.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/ToolkitErrors.h"

namespace morvik {
namespace {

std::string Utf8(const QString& s) { return s.toStdString(); }

TEST(FormatValue, EveryDisplayOption) {
    struct Case {
        int32_t value;
        TEditOptions options;
        const char* shown;
    };
    const Case cases[] = {
        {1234567, {}, "1234567"},
        {1234567, eoDivide, "1,234,567"},
        {-1234, eoDivide, "-1,234"},
        {255, eoHEXIndicate, "$FF"},
        {256, eoHEXIndicate, "$0100"},
        {74565, eoHEXIndicate | eoDivide, "$01,23,45"},
        {4096, eoHEXIndicate | eoDivide, "$10,00"},
        {-1, eoHEXIndicate, "$FFFFFFFF"},
        {1234, eoDWDisplay | eoDivide, "１，２３４"},
        {-5, eoDWDisplay, "－５"},
        {26, eoDWDisplay | eoHEXIndicate, "＄１A"},
        {74565, eoDWDisplay | eoHEXIndicate | eoDivide, "＄０１，２３，４５"},
        {0, {}, "0"},
        {0, eoHEXIndicate, "$00"},
        {5, eoHEXIndicate | eoDivide, "$05"},
        {INT32_MIN, {}, "-2147483648"},
        {INT32_MIN, eoHEXIndicate, "$80000000"},
        {123, eoDivide, "123"},
        {1000, eoDivide | eoRightAlign, "1,000"},
        {-100, eoDivide, "-100"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8(FormatValue(c.value, c.options)), c.shown) << c.value;
    }
}

TEST(ParseText, ReducesAnyTextToANumeral) {
    struct Case {
        const char* text;
        TEditOptions options;
        const char* numeral;
    };
    const Case cases[] = {
        {"1,234", eoDivide, "1234"},
        {"1,234", {}, "1234"},
        {"-1,234", {}, "-1234"},
        {"1-2", {}, "12"},
        {"－１２", eoDWDisplay, "-12"},
        {"－１２", {}, "-"},
        {"$FF", eoHEXIndicate, "$ff"},
        {"12g", eoHEXIndicate, "$12"},
        {"-12", eoHEXIndicate, "$12"},
        {"", {}, ""},
        {"", eoHEXIndicate, "$"},
        {"１２３", {}, ""},
        {"＄１AＢ", eoDWDisplay | eoHEXIndicate, "$1a"},
        {" 4 x", {}, "4"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8(ParseText(QString::fromUtf8(c.text), c.options)), c.numeral) << c.text;
    }
}

TEST(ConvertNumeral, HoldsToThirtyTwoBits) {
    EXPECT_EQ(ConvertNumeral("$ffffffff"), -1);
    EXPECT_EQ(ConvertNumeral("$80000000"), INT32_MIN);
    EXPECT_EQ(ConvertNumeral("$0000000000001F"), 31);
    EXPECT_EQ(ConvertNumeral("-2147483648"), INT32_MIN);
    EXPECT_EQ(ConvertNumeral("2147483647"), INT32_MAX);
    EXPECT_EQ(ConvertNumeral("-0"), 0);
    EXPECT_EQ(ConvertNumeral("000123"), 123);
    for (const char* bad :
         {"", "-", "$", "$100000000", "2147483648", "-2147483649", "1-2", "+5", "12a", "$g"}) {
        EXPECT_THROW(ConvertNumeral(bad), EConvertError) << bad;
    }
    try {
        ConvertNumeral("$");
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "'$' は整数ではありません");
    }
}

TEST(ConvertNumeral, ReadsBackEveryFormattedValue) {
    std::mt19937 engine(11);
    std::vector<int32_t> values{0, 1, -1, INT32_MAX, INT32_MIN, 999, -1000};
    for (int i = 0; i < 200; ++i) values.push_back(static_cast<int32_t>(engine()));
    for (unsigned bits = 0; bits < 16; ++bits) {
        const TEditOptions options = TEditOptions::fromInt(static_cast<int>(bits));
        for (const int32_t value : values) {
            const QString shown = FormatValue(value, options);
            ASSERT_EQ(ConvertNumeral(ParseText(shown, options)), value)
                << Utf8(shown) << " options " << bits;
        }
    }
}

TEST(WidthConversion, KeepsOnlyTableCharacters) {
    EXPECT_EQ(Utf8(ToFullWidth("1a", true)), "１A");
    EXPECT_EQ(Utf8(ToFullWidth("1a", false)), "１");
    EXPECT_EQ(Utf8(ToHalfWidth("Ａ", true)), "");
    EXPECT_EQ(Utf8(ToHalfWidth("９A８", true)), "9A8");
    EXPECT_EQ(Utf8(ToHalfWidth("９A８", false)), "98");
}

TEST(CharacterOperations, CountFromOneAndClampInserts) {
    const QString s = "１2３";
    EXPECT_EQ(CharCount(s), 3);
    EXPECT_EQ(CharCount(""), 0);
    EXPECT_EQ(Utf8(CharCopy(s, 2, 5)), "2３");
    EXPECT_EQ(Utf8(CharCopy(s, 4, 1)), "");
    EXPECT_EQ(Utf8(CharInsert("x", s, 4)), "１2３x");
    EXPECT_EQ(Utf8(CharInsert("x", s, 9)), "１2３x");
    EXPECT_EQ(Utf8(CharInsert("x", s, 0)), "x１2３");
    EXPECT_EQ(Utf8(CharDelete(s, 3)), "１2");
    EXPECT_EQ(Utf8(CharDelete(s, 4)), "１2３");
    EXPECT_EQ(Utf8(CharReplace(s, "yz", 2)), "１yz３");
    EXPECT_EQ(LowerAscii(u'F'), QChar(u'f'));
    EXPECT_EQ(LowerAscii(u'Ｆ'), QChar(u'Ｆ'));
}

TEST(FilterKey, HalfWidthPassesOrDrops) {
    const auto action = [](char16_t key, TEditOptions options) {
        return FilterKey(QChar(key), options).action;
    };
    const KeyAction kPass = KeyAction::Pass, kDrop = KeyAction::Drop;
    EXPECT_EQ(action(u'7', {}), kPass);
    EXPECT_EQ(action(8, {}), kPass);
    EXPECT_EQ(action(8, eoDWDisplay), kPass) << "backspace is never converted";
    EXPECT_EQ(action(u'c', {}), kDrop);
    EXPECT_EQ(action(u'C', eoHEXIndicate), kPass);
    EXPECT_EQ(action(u'-', {}), kPass);
    EXPECT_EQ(action(u'-', eoHEXIndicate), kDrop);
    EXPECT_EQ(action(u',', {}), kDrop);
    EXPECT_EQ(action(u',', eoDivide), kPass);
    EXPECT_EQ(action(u'$', eoHEXIndicate), kDrop);
    for (char16_t control : {1, 3, 13, 22, 26, 27}) EXPECT_EQ(action(control, {}), kDrop);
}

TEST(FilterKey, DoubleWidthInsertsFullWidthForms) {
    const auto filter = [](char16_t key, TEditOptions options) {
        const KeyFilterResult result = FilterKey(QChar(key), eoDWDisplay | options);
        return result.action == KeyAction::Insert
                   ? Utf8(result.text)
                   : std::string(result.action == KeyAction::Drop ? "drop" : "pass");
    };
    EXPECT_EQ(filter(u'4', {}), "４");
    EXPECT_EQ(filter(u'4', eoHEXIndicate), "４");
    EXPECT_EQ(filter(u'b', eoHEXIndicate), "B");
    EXPECT_EQ(filter(u'b', {}), "drop");
    EXPECT_EQ(filter(u'$', eoHEXIndicate), "＄");
    EXPECT_EQ(filter(u'$', {}), "drop");
    EXPECT_EQ(filter(u'-', {}), "－");
    EXPECT_EQ(filter(u'-', eoHEXIndicate), "drop");
    EXPECT_EQ(filter(u',', eoDivide), "，");
    EXPECT_EQ(filter(u',', {}), "drop");
    EXPECT_EQ(filter(u'x', {}), "drop");
    EXPECT_EQ(filter(13, {}), "drop");
}

}  // namespace
}  // namespace morvik
