#pragma once

#include <QPainterPath>
#include <QRectF>

// The maker's mark: an outer chevron, a smaller chevron in its notch and a
// short bar low in the inner notch, stretched to fill any rectangle (keeping
// its 553 : 487 proportions is the caller's business). Filled with the
// default non-zero rule.
class VaradiChevronMark {
public:
    static QPainterPath path(const QRectF& rect);
};
