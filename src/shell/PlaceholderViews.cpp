#include "shell/PlaceholderViews.h"

#include "model/BrandColors.h"
#include "model/CompanionModel.h"

#include <QPainter>

namespace {

// A repaint requested before a change is stored runs after it.
void repaintOnChange(QWidget& view, CompanionModel& model)
{
    QObject::connect(&model, &CompanionModel::willChange, &view, qOverload<>(&QWidget::update));
}

} // namespace

CompanionPlaceholderView::CompanionPlaceholderView(CompanionModel& model)
    : m_model(model)
{
    repaintOnChange(*this, model);
}

void CompanionPlaceholderView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    // The mascot's place: a disc in the right-hand 170 points of the panel.
    const QRectF mascot(width() - 170 + 25, height() - 150, 120, 120);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_model.menuOpen ? lumivoMagenta() : lumivoViolet());
    painter.drawEllipse(mascot);
}

AlertBubblePlaceholderView::AlertBubblePlaceholderView(CompanionModel& model)
    : m_model(model)
{
    repaintOnChange(*this, model);
}

void AlertBubblePlaceholderView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    const std::optional<CompanionAlert>& alert = m_model.activeAlert.get();
    if (!alert)
        return;
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(20, 16, 30, 235));
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 14, 14);
    painter.setPen(Qt::white);
    const QRectF text = QRectF(rect()).adjusted(12, 10, -12, -10);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, alert->source().title() + QLatin1Char('\n') + alert->detail());
}
