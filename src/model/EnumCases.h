#pragma once

// Helpers for the enumerations with text raw values: a class wrapping an
// `enum Value` numbered from 0 in declaration order, with `allCases` and
// `rawValue()`.

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
