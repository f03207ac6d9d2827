#pragma once

#include "VaradiHoverButtonStyle.h"
#include "model/CompanionRecords.h"
#include "ui/AnimatedValue.h"
#include "ui/ViewEnvironment.h"

#include <QImage>
#include <QStringList>
#include <QWidget>

#include <optional>

class ChangeObserver;
class CompanionModel;

// The alert on show, as a small rounded bubble in the alert panel: the
// source's symbol and title, the detail, and "Reply" and "Dismiss". A press
// on the bubble or "Reply" dismisses the alert and opens its source;
// "Dismiss" only dismisses it.
class CompanionAlertBubbleView final : public QWidget {
    Q_OBJECT

public:
    explicit CompanionAlertBubbleView(CompanionModel& model, QWidget* parent = nullptr);
    CompanionAlertBubbleView(CompanionModel& model, const ViewEnvironment& environment, QWidget* parent = nullptr);
    ~CompanionAlertBubbleView() override;

    static constexpr QSize panelSize{226, 96};
    static constexpr qreal bubbleWidth = 214;
    static constexpr qreal minimumBubbleHeight = 45;
    static constexpr int titleLineLimit = 2;
    static constexpr int detailLineLimit = 3;

    // Where everything of one alert's bubble goes inside the 226 x 96 frame.
    // The symbol and the texts are placed within the main button.
    struct Layout {
        QRectF bubble;
        QRectF mainButton; // the left part: symbol, texts and the stretch after them
        QRectF symbol;     // the 25-point circle
        QStringList titleLines;
        QRectF title;
        QStringList detailLines;
        QRectF detail; // empty when the detail is
        QRectF reply;
        QRectF dismiss;
    };
    static Layout layoutFor(const CompanionAlert& alert);

    // The alert drawn now: the one on show, or the one leaving.
    const std::optional<CompanionAlert>& shownAlert() const { return m_shown; }
    const AnimatedValue& presence() const { return m_presence; }
    const Layout& currentLayout() const { return m_layout; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void alertChanged(const std::optional<Motion>& motion);
    void prepare(const CompanionAlert& alert);
    void paintMainLabel(QPainter& painter, const QRectF& rect) const;
    void paintBubbleBackground(QPainter& painter);
    bool interactive() const;

    CompanionModel& m_model;
    ChangeObserver* m_observer;
    std::optional<CompanionAlert> m_shown;
    Layout m_layout;
    AnimatedValue m_presence;
    HoverButtonItem m_main;
    HoverButtonItem m_reply;
    HoverButtonItem m_dismiss;
    HoverButtonItem* m_pressed = nullptr;
    QImage m_bubbleShape;
    QSizeF m_bubbleShapeSize;
};
