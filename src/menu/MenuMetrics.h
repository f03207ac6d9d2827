#pragma once

#include <QtGlobal>

#include <array>

// The menu's measures, in points: the card's width and padding, and the
// heights, sizes and spacings its rows and tiles share.
namespace MenuMetrics {

inline constexpr qreal menuWidth = 322;
inline constexpr qreal menuPadding = 7;
inline constexpr qreal zorivirSpacing = 5;
inline constexpr qreal primaryActionHeight = 40;
inline constexpr qreal topActionHeight = 46;
inline constexpr qreal headerActionHeight = 26;
inline constexpr qreal heroActionHeight = 46;
inline constexpr qreal personalCircleSize = 28;
inline constexpr qreal actionIconSize = 23;
inline constexpr qreal actionIconRadius = 6;
inline constexpr qreal actionHorizontalPadding = 9;
inline constexpr qreal actionSpacing = 8;

constexpr qreal zorivirActionWidth() { return (menuWidth - 2 * menuPadding - zorivirSpacing) / 2; }

struct GridColumn {
    qreal width;
    qreal spacing; // to the next column
};
constexpr std::array<GridColumn, 2> zorivirColumns()
{
    return {{{zorivirActionWidth(), zorivirSpacing}, {zorivirActionWidth(), 0}}};
}

} // namespace MenuMetrics
