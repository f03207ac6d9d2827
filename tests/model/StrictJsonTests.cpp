#include "model/StrictJson.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <limits>

using StrictJson::ObjectReader;

namespace {

// Reads member "v" of the document {"v": <json>} with `read`.
template <typename Read>
auto readV(const char* json, Read read)
{
    return StrictJson::decode(QByteArray(R"({"v": )") + json + '}', read);
}

// What a successful read of `value` looks like, for comparing with decode()'s result.
template <typename T>
std::optional<T> decoded(T value)
{
    return value;
}

std::optional<qint64> integerV(const char* json)
{
    return readV(json, [](ObjectReader& reader) { return reader.integer(u"v"); });
}

} // namespace

TEST(StrictJson, IntegersAreWholeNumbersWithinTheSigned64BitRange)
{
    constexpr auto max = std::numeric_limits<qint64>::max();
    constexpr auto min = std::numeric_limits<qint64>::min();
    const std::vector<std::pair<const char*, qint64>> accepted{
        {"0", 0},
        {"-0", 0},
        {"7", 7},
        {"7.0", 7},
        {"1e3", 1000},
        {"-12", -12},
        {"4294967296", 4294967296},
        {"9007199254740993", 9007199254740993},
        {"9223372036854775807", max},
        {"-9223372036854775808", min},
    };
    for (const auto& [json, value] : accepted)
        EXPECT_EQ(integerV(json), value) << json;

    for (const char* json :
         {"7.5", "0.001", "-1.5", "9223372036854775808", "1e19", "-1e19", "\"7\"", "true", "[7]", "{}"})
        EXPECT_FALSE(integerV(json).has_value()) << json;
}

TEST(StrictJson, NumbersTakeAnyJsonNumberButNothingElse)
{
    const auto numberV = [](const char* json) {
        return readV(json, [](ObjectReader& reader) { return reader.number(u"v"); });
    };
    EXPECT_EQ(numberV("42"), 42.0);
    EXPECT_EQ(numberV("41.5"), 41.5);
    EXPECT_EQ(numberV("-2.5e-3"), -0.0025);
    EXPECT_EQ(numberV("9223372036854775808"), 9223372036854775808.0);
    for (const char* json : {"\"41.5\"", "false", "[]", "{}"})
        EXPECT_FALSE(numberV(json).has_value()) << json;
}

TEST(StrictJson, TextAndBooleansTakeOnlyTheirOwnJsonType)
{
    const auto textV = [](const char* json) {
        return readV(json, [](ObjectReader& reader) { return reader.text(u"v"); });
    };
    EXPECT_EQ(textV(R"("caf\u00e9 \"bar\"")"), QStringLiteral("caf\u00e9 \"bar\""));
    EXPECT_EQ(textV(R"("")"), QString());
    for (const char* json : {"1", "true", "[\"a\"]", "{}"})
        EXPECT_FALSE(textV(json).has_value()) << json;

    const auto booleanV = [](const char* json) {
        return readV(json, [](ObjectReader& reader) { return reader.boolean(u"v"); });
    };
    EXPECT_EQ(booleanV("true"), true);
    EXPECT_EQ(booleanV("false"), false);
    for (const char* json : {"1", "0", "\"true\"", "[]", "{}"})
        EXPECT_FALSE(booleanV(json).has_value()) << json;
}

TEST(StrictJson, RequiredMembersMustBeThereOptionalOnesMayBeAbsentOrNull)
{
    const auto requiredText = [](ObjectReader& reader) { return reader.text(u"v"); };
    const auto optionalText = [](ObjectReader& reader) { return reader.optionalText(u"v"); };
    const auto optionalBoolean = [](ObjectReader& reader) { return reader.optionalBoolean(u"v"); };

    EXPECT_FALSE(StrictJson::decode(R"({})", requiredText).has_value());
    EXPECT_FALSE(readV("null", requiredText).has_value());
    EXPECT_FALSE(StrictJson::decode(R"({"V": "x"})", requiredText).has_value()) << "keys are case-sensitive";

    EXPECT_EQ(StrictJson::decode(R"({})", optionalText), decoded(std::optional<QString>()));
    EXPECT_EQ(readV("null", optionalText), decoded(std::optional<QString>()));
    EXPECT_EQ(readV(R"("x")", optionalText), decoded(std::optional<QString>(QStringLiteral("x"))));
    EXPECT_EQ(readV("false", optionalBoolean), decoded(std::optional<bool>(false)));

    // Being optional does not excuse a wrong type.
    EXPECT_FALSE(readV("3", optionalText).has_value());
    EXPECT_FALSE(readV("0", optionalBoolean).has_value());
}

TEST(StrictJson, AFailedReadFailsTheObjectWhateverIsReadAfterIt)
{
    const auto read = [](ObjectReader& reader) {
        const qint64 broken = reader.integer(u"a");
        EXPECT_TRUE(reader.failed());
        const QString fine = reader.text(u"b");
        EXPECT_TRUE(reader.failed());
        return std::pair(broken, fine);
    };
    EXPECT_FALSE(StrictJson::decode(R"({"a": "1", "b": "x"})", read).has_value());

    // A failure inside a nested object or list element fails the outer object too.
    const auto inner = [](ObjectReader& reader) { return reader.integer(u"n"); };
    const auto nested = [&](ObjectReader& reader) { return reader.optionalObject(u"o", inner); };
    EXPECT_EQ(StrictJson::decode(R"({"o": {"n": 2}})", nested), decoded(std::optional<qint64>(2)));
    EXPECT_FALSE(StrictJson::decode(R"({"o": {"n": 2.5}})", nested).has_value());
    EXPECT_FALSE(StrictJson::decode(R"({"o": {}})", nested).has_value());
}

TEST(StrictJson, ListsKeepOrderAndFailOnAnyBadElement)
{
    const auto element = [](ObjectReader& reader) { return reader.integer(u"n"); };
    const auto required = [&](ObjectReader& reader) { return reader.objectList(u"l", element); };
    const auto optional = [&](ObjectReader& reader) { return reader.optionalObjectList(u"l", element); };

    EXPECT_EQ(StrictJson::decode(R"({"l": [{"n": 3}, {"n": 1}, {"n": 2}]})", required), (std::vector<qint64>{3, 1, 2}));
    EXPECT_EQ(StrictJson::decode(R"({"l": []})", required), std::vector<qint64>{});
    EXPECT_FALSE(StrictJson::decode(R"({})", required).has_value());
    EXPECT_FALSE(StrictJson::decode(R"({"l": {"n": 1}})", required).has_value());

    for (const char* body : {R"({"l": [{"n": 1}, {"n": "2"}]})", R"({"l": [{"n": 1}, null]})",
                             R"({"l": [{"n": 1}, 2]})", R"({"l": [[{"n": 1}]]})"})
        EXPECT_FALSE(StrictJson::decode(QByteArray(body), required).has_value()) << body;

    // An empty list is a value of its own, unlike an absent one.
    using OptionalList = std::optional<std::vector<qint64>>;
    EXPECT_EQ(StrictJson::decode(R"({"l": []})", optional), decoded(OptionalList(std::vector<qint64>{})));
    EXPECT_EQ(StrictJson::decode(R"({"l": null})", optional), decoded(OptionalList()));
    EXPECT_EQ(StrictJson::decode(R"({})", optional), decoded(OptionalList()));
}

TEST(StrictJson, TheBodyMustBeOneJsonObject)
{
    EXPECT_TRUE(StrictJson::parseObject(" \n{\"a\": 1}\r\n\t ").has_value());
    EXPECT_EQ(StrictJson::parseObject(R"({"a": 1, "b": [true]})")->size(), 2);

    QByteArray trailingNul(R"({"a": 1})");
    trailingNul.append('\0');
    for (const QByteArray& body :
         {QByteArray(), QByteArray("  "), QByteArray("[{\"a\": 1}]"), QByteArray("\"a\""), QByteArray("1"),
          QByteArray("null"), QByteArray(R"({"a": 1)"), QByteArray(R"({"a": 1} {})"), QByteArray(R"({"a": 1}x)"),
          trailingNul, QByteArray(R"({'a': 1})"), QByteArray(R"({"a": 1,})")})
        EXPECT_FALSE(StrictJson::parseObject(body).has_value()) << body.toStdString();
}
