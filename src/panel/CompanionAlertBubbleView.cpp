#include "CompanionAlertBubbleView.h"

#include "model/BrandColors.h"
#include "model/CompanionModel.h"
#include "ui/ChangeObserver.h"
#include "ui/FittedText.h"
#include "ui/GlowCache.h"
#include "ui/Symbols.h"

#include <QFontMetricsF>
#include <QHelpEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

namespace {

constexpr qreal leadingPadding = 8;
constexpr qreal trailingPadding = 5;
constexpr qreal verticalPadding = 7;
constexpr qreal rowSpacing = 5;
constexpr qreal labelSpacing = 7;
constexpr qreal symbolSize = 25;
constexpr qreal textSpacing = 2;
constexpr QSizeF replySize(20, 18);
constexpr QSizeF dismissSize(20, 16);
constexpr qreal buttonSpacing = 3;
constexpr qreal cornerRadius = 13;

QFont titleFont() { return systemFont(9.5, QFont::Bold); }
QFont detailFont() { return systemFont(8.5, QFont::Medium); }

QLinearGradient brandGradient(const QRectF& rect)
{
    QLinearGradient gradient(rect.left(), 0, rect.right(), 0);
    gradient.setColorAt(0, lumivoViolet());
    gradient.setColorAt(0.5, lumivoMagenta());
    gradient.setColorAt(1, lumivoOrange());
    return gradient;
}

QColor white(qreal opacity) { return QColor::fromRgbF(1, 1, 1, opacity); }

void fillSymbol(QPainter& painter, QStringView name, qreal size, const QRectF& frame, const QBrush& brush)
{
    QPainterPath glyph = Symbols::path(name, size);
    glyph.translate(frame.center());
    painter.fillPath(glyph, brush);
}

QPainterPath bubblePath(const QRectF& rect)
{
    QPainterPath path;
    path.addRoundedRect(rect, cornerRadius, cornerRadius);
    return path;
}

} // namespace

CompanionAlertBubbleView::CompanionAlertBubbleView(CompanionModel& model, QWidget* parent)
    : CompanionAlertBubbleView(model, ViewEnvironment::main(), parent)
{
}

CompanionAlertBubbleView::CompanionAlertBubbleView(CompanionModel& model, const ViewEnvironment& environment,
                                                   QWidget* parent)
    : QWidget(parent), m_model(model), m_shown(model.activeAlert.get()),
      m_presence(environment.animations, progressOf(m_shown.has_value()), [this] { update(); }),
      m_main(environment.animations, [this] { update(); }), m_reply(environment.animations, [this] { update(); }),
      m_dismiss(environment.animations, [this] { update(); })
{
    Symbols::loadFont(environment.resources);
    setFixedSize(panelSize);
    setMouseTracking(true);

    m_main.action = [this] { m_model.dismissAlert(true); };
    m_main.paintLabel = [this](QPainter& painter, const QRectF& rect) { paintMainLabel(painter, rect); };
    m_reply.toolTip = QStringLiteral("Reply");
    m_reply.action = [this] { m_model.dismissAlert(true); };
    m_reply.paintLabel = [](QPainter& painter, const QRectF& rect) {
        QPainterPath background;
        background.addRoundedRect(rect, 6, 6);
        painter.fillPath(background, brandGradient(rect));
        fillSymbol(painter, u"arrowshape.turn.up.left.fill", 8.5 * 1.2, rect, Qt::white);
    };
    m_dismiss.toolTip = QStringLiteral("Dismiss");
    m_dismiss.action = [this] { m_model.dismissAlert(false); };
    m_dismiss.paintLabel = [](QPainter& painter, const QRectF& rect) {
        fillSymbol(painter, u"xmark", 8 * 1.2, rect, white(0.66));
    };
    if (m_shown)
        prepare(*m_shown);
    m_observer = new ChangeObserver(
        model, [this](const std::optional<Motion>& motion) { alertChanged(motion); }, this);
}

CompanionAlertBubbleView::~CompanionAlertBubbleView() = default;

CompanionAlertBubbleView::Layout CompanionAlertBubbleView::layoutFor(const CompanionAlert& alert)
{
    Layout layout;
    const qreal rowWidth = bubbleWidth - leadingPadding - trailingPadding;
    const qreal mainWidth = rowWidth - rowSpacing - replySize.width();
    const qreal textWidth = mainWidth - symbolSize - labelSpacing;

    layout.titleLines = wrappedLines(alert.source().title(), titleFont(), textWidth, titleLineLimit);
    layout.detailLines = wrappedLines(alert.detail(), detailFont(), textWidth, detailLineLimit);
    const qreal titleHeight = layout.titleLines.size() * QFontMetricsF(titleFont()).lineSpacing();
    const qreal detailHeight = layout.detailLines.size() * QFontMetricsF(detailFont()).lineSpacing();
    const qreal textHeight = titleHeight + (layout.detailLines.isEmpty() ? 0 : textSpacing + detailHeight);
    const qreal buttonsHeight = replySize.height() + buttonSpacing + dismissSize.height();
    const qreal rowHeight = std::max({textHeight, symbolSize, buttonsHeight});
    const qreal bubbleHeight = std::max(minimumBubbleHeight, rowHeight + 2 * verticalPadding);

    layout.bubble = QRectF((panelSize.width() - bubbleWidth) / 2, (panelSize.height() - bubbleHeight) / 2, bubbleWidth,
                           bubbleHeight);
    const QRectF row(layout.bubble.left() + leadingPadding, layout.bubble.center().y() - rowHeight / 2, rowWidth,
                     rowHeight);
    layout.mainButton = QRectF(row.left(), row.top(), mainWidth, rowHeight);
    layout.symbol = QRectF(0, (rowHeight - symbolSize) / 2, symbolSize, symbolSize); // within the main button
    const qreal textLeft = symbolSize + labelSpacing;
    const qreal textTop = (rowHeight - textHeight) / 2;
    layout.title = QRectF(textLeft, textTop, textWidth, titleHeight);
    if (!layout.detailLines.isEmpty())
        layout.detail = QRectF(textLeft, textTop + titleHeight + textSpacing, textWidth, detailHeight);
    const qreal buttonsLeft = row.right() - replySize.width();
    const qreal buttonsTop = row.center().y() - buttonsHeight / 2;
    layout.reply = QRectF(QPointF(buttonsLeft, buttonsTop), replySize);
    layout.dismiss = QRectF(QPointF(buttonsLeft, buttonsTop + replySize.height() + buttonSpacing), dismissSize);
    return layout;
}

void CompanionAlertBubbleView::alertChanged(const std::optional<Motion>& motion)
{
    const std::optional<CompanionAlert>& active = m_model.activeAlert.get();
    if (active && (!m_shown || active->id() != m_shown->id() || m_presence.target() == 0))
        prepare(*active);
    // A bubble that leaves keeps showing its alert until it has faded.
    if (m_presence.target() != progressOf(active.has_value()))
        m_presence.set(progressOf(active.has_value()), motion);
    update();
}

void CompanionAlertBubbleView::prepare(const CompanionAlert& alert)
{
    m_shown = alert;
    m_layout = layoutFor(alert);
    m_main.rect = m_layout.mainButton;
    m_reply.rect = m_layout.reply;
    m_dismiss.rect = m_layout.dismiss;
    // Only the main label shows the alert; "Reply", "Dismiss" and a bubble
    // of the same size keep their pictures.
    m_main.invalidateLabel();
}

bool CompanionAlertBubbleView::interactive() const { return m_model.activeAlert->has_value() && m_shown; }

void CompanionAlertBubbleView::paintMainLabel(QPainter& painter, const QRectF&) const
{
    if (!m_shown)
        return;
    const Layout& layout = m_layout;
    painter.setPen(Qt::NoPen);
    painter.setBrush(white(0.16));
    painter.drawEllipse(layout.symbol);
    fillSymbol(painter, m_shown->source().symbol(), 13 * 1.2, layout.symbol, brandGradient(layout.symbol));

    painter.setFont(titleFont());
    painter.setPen(Qt::white);
    const qreal titleLine = QFontMetricsF(titleFont()).lineSpacing();
    for (qsizetype i = 0; i < layout.titleLines.size(); ++i)
        painter.drawText(
            QRectF(layout.title.left(), layout.title.top() + i * titleLine, layout.title.width(), titleLine),
            Qt::AlignLeft | Qt::AlignVCenter, layout.titleLines[i]);
    painter.setFont(detailFont());
    painter.setPen(white(0.78));
    const qreal detailLine = QFontMetricsF(detailFont()).lineSpacing();
    for (qsizetype i = 0; i < layout.detailLines.size(); ++i)
        painter.drawText(
            QRectF(layout.detail.left(), layout.detail.top() + i * detailLine, layout.detail.width(), detailLine),
            Qt::AlignLeft | Qt::AlignVCenter, layout.detailLines[i]);
}

void CompanionAlertBubbleView::paintBubbleBackground(QPainter& painter)
{
    const QRectF& bubble = m_layout.bubble;
    const qreal dpr = devicePixelRatioF();
    if (m_bubbleShape.isNull() || m_bubbleShape.devicePixelRatio() != dpr || m_bubbleShapeSize != bubble.size()) {
        m_bubbleShapeSize = bubble.size();
        m_bubbleShape = transparentImage(bubble.size(), dpr);
        QPainter shape(&m_bubbleShape);
        shape.setRenderHint(QPainter::Antialiasing);
        shape.fillPath(bubblePath(QRectF(QPointF(0, 0), bubble.size())), Qt::black);
    }
    GlowCache::shared().paint(painter, m_bubbleShape, bubble.topLeft(), 11, QColor::fromRgbF(0, 0, 0, 0.34), 1,
                              QPointF(0, 5));
    const QPainterPath shape = bubblePath(bubble);
    painter.fillPath(shape, QColor::fromRgbF(0, 0, 0, 0.34));
    // The thinnest frosted material: a faint light veil over the dark fill.
    QLinearGradient veil(bubble.topLeft(), bubble.bottomLeft());
    veil.setColorAt(0, white(0.10));
    veil.setColorAt(1, white(0.05));
    painter.fillPath(shape, veil);
}

void CompanionAlertBubbleView::paintEvent(QPaintEvent*)
{
    const double presence = m_presence.value();
    if (!m_shown || presence <= 0.001)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setOpacity(std::clamp(presence, 0.0, 1.0));
    const QPointF centre = QRectF(QPointF(0, 0), QSizeF(panelSize)).center();
    const qreal scale = 0.88 + 0.12 * presence;
    painter.translate(centre);
    painter.scale(scale, scale);
    painter.translate(-centre);

    paintBubbleBackground(painter);
    const qreal dpr = devicePixelRatioF();
    m_main.paint(painter, dpr);
    m_reply.paint(painter, dpr);
    m_dismiss.paint(painter, dpr);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(white(0.22), 1));
    painter.drawPath(bubblePath(m_layout.bubble.adjusted(0.5, 0.5, -0.5, -0.5)));
}

void CompanionAlertBubbleView::mouseMoveEvent(QMouseEvent* event)
{
    if (!interactive())
        return;
    for (HoverButtonItem* item : {&m_main, &m_reply, &m_dismiss})
        item->pointerMoved(event->position());
}

void CompanionAlertBubbleView::leaveEvent(QEvent* event)
{
    for (HoverButtonItem* item : {&m_main, &m_reply, &m_dismiss})
        item->pointerLeft();
    QWidget::leaveEvent(event);
}

void CompanionAlertBubbleView::mousePressEvent(QMouseEvent* event)
{
    m_pressed = nullptr;
    if (event->button() != Qt::LeftButton || !interactive())
        return;
    for (HoverButtonItem* item : {&m_reply, &m_dismiss, &m_main}) {
        if (item->press(event->position())) {
            m_pressed = item;
            return;
        }
    }
}

void CompanionAlertBubbleView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    std::exchange(m_pressed, nullptr)->release(event->position());
}

bool CompanionAlertBubbleView::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        for (const HoverButtonItem* item : {&m_reply, &m_dismiss}) {
            if (interactive() && item->rect.contains(help->pos()) && !item->toolTip.isEmpty()) {
                QToolTip::showText(help->globalPos(), item->toolTip, this);
                return true;
            }
        }
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    return QWidget::event(event);
}
