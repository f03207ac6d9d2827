#include "VaradiChevronMark.h"

#include <array>
#include <vector>

namespace {

// The mark's design box: x from 17 to 570, y from 61 to 548, y downward.
constexpr QRectF designBox(17, 61, 553, 487);

const std::array<std::vector<QPointF>, 3> polygons{{
    {{296, 61}, {570, 548}, {502, 548}, {295, 187}, {87, 548}, {17, 548}},
    {{296, 264}, {458, 548}, {399, 548}, {295, 368}, {191, 548}, {131, 548}},
    {{241, 462}, {307, 462}, {332, 506}, {215, 506}},
}};

} // namespace

QPainterPath VaradiChevronMark::path(const QRectF& rect)
{
    const auto map = [&](QPointF design) {
        return QPointF(rect.left() + (design.x() - designBox.left()) / designBox.width() * rect.width(),
                       rect.top() + (design.y() - designBox.top()) / designBox.height() * rect.height());
    };
    QPainterPath mark;
    mark.setFillRule(Qt::WindingFill);
    for (const auto& polygon : polygons) {
        mark.moveTo(map(polygon.front()));
        for (std::size_t i = 1; i < polygon.size(); ++i)
            mark.lineTo(map(polygon[i]));
        mark.closeSubpath();
    }
    return mark;
}
