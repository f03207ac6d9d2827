#pragma once

// Helpers for the enumerations with text raw values: a class wrapping an
// `enum Value` numbered from 0 in declaration order, with `allCases` and
// `rawValue()`, and the one table that holds what each case stands for.

#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <optional>

// Every case from the first through last, in declaration order.
template <typename Value, Value last>
constexpr std::array<Value, static_cast<std::size_t>(last) + 1> casesThrough()
{
    std::array<Value, static_cast<std::size_t>(last) + 1> cases{};
    for (std::size_t index = 0; index < cases.size(); ++index)
        cases[index] = static_cast<Value>(index);
    return cases;
}

// The case whose raw value is exactly text (case-sensitive, no trimming).
template <typename Enum>
std::optional<Enum> caseWithRawValue(QStringView text)
{
    for (const auto candidate : Enum::allCases) {
        if (Enum(candidate).rawValue() == text)
            return Enum(candidate);
    }
    return std::nullopt;
}

// Whether rows holds one row per case of Enum, in declaration order, each
// naming its case as `value`; a table that does can be read by case.
template <typename Enum, typename Row, std::size_t count>
constexpr bool holdsEveryCaseInOrder(const std::array<Row, count>& rows)
{
    if (count != Enum::allCases.size())
        return false;
    for (std::size_t index = 0; index < count; ++index) {
        if (rows[index].value != Enum::allCases[index])
            return false;
    }
    return true;
}

// The row of value in a table that holdsEveryCaseInOrder.
template <typename Row, std::size_t count, typename Value>
constexpr const Row& rowOf(const std::array<Row, count>& rows, Value value)
{
    return rows[static_cast<std::size_t>(value)];
}

// A text of such a table as a QString sharing the literal's storage, as
// QStringLiteral does; the texts are literals, so they outlive every copy.
inline QString tableText(QStringView text) { return QString::fromRawData(text.data(), text.size()); }
