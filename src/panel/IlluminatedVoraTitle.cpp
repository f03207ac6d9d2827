#include "IlluminatedVoraTitle.h"

#include "model/BrandColors.h"
#include "ui/FittedText.h"
#include "ui/GlowCache.h"
#include "ui/ImageEffects.h"
#include "ui/Timing.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPainter>

namespace {

QString titleText() { return QCoreApplication::translate("IlluminatedVoraTitle", "MY VORA"); }

QFont titleFont()
{
    QFont font = systemFont(11.5, QFont::Black);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.35);
    return font;
}

} // namespace

IlluminatedVoraTitle::IlluminatedVoraTitle(const ViewEnvironment& environment, std::function<void()> repaint)
    : m_environment(environment), m_glowing(environment.animations, 0, repaint),
      m_flicker(environment.animations, 1, repaint)
{
    const QFontMetricsF metrics(titleFont());
    m_textSize = QSizeF(metrics.horizontalAdvance(titleText()), metrics.height());
}

IlluminatedVoraTitle::~IlluminatedVoraTitle() { m_next.cancel(); }

const std::array<IlluminatedVoraTitle::FlickerStep, 4>& IlluminatedVoraTitle::flickerSteps()
{
    static const std::array<FlickerStep, 4> steps{{
        {0.42, Motion::easeOut(0.055), 0.070},
        {1.0, Motion::easeIn(0.08), 0.090},
        {0.68, Motion::easeOut(0.05), 0.060},
        {1.0, Motion::easeIn(0.09), 0.0},
    }};
    return steps;
}

void IlluminatedVoraTitle::start()
{
    m_glowing.set(1, Motion::easeInOut(1.35).repeatForever(true).atFramesPerSecond(glowFramesPerSecond));
    m_running = true;
    waitForFlicker();
}

void IlluminatedVoraTitle::stop()
{
    m_running = false;
    m_next.cancel();
    m_flicker.jump(1);
}

void IlluminatedVoraTitle::waitForFlicker()
{
    if (!m_running)
        return;
    m_next = after(m_environment.scheduler, m_environment.uniform(shortestPause, longestPause),
                   [this] { runFlickerStep(0); });
}

void IlluminatedVoraTitle::runFlickerStep(std::size_t index)
{
    const FlickerStep& step = flickerSteps()[index];
    m_flicker.set(step.level, step.motion.atFramesPerSecond(60));
    // The pause after the last dip starts as its recovery starts.
    if (index + 1 == flickerSteps().size()) {
        waitForFlicker();
        return;
    }
    m_next = after(m_environment.scheduler, step.pause, [this, index] { runFlickerStep(index + 1); });
}

void IlluminatedVoraTitle::paint(QPainter& painter, QPointF centre)
{
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QSizeF size = textSize();
    if (m_text.isNull() || m_text.devicePixelRatio() != dpr) {
        m_text = transparentImage(size, dpr);
        QPainter text(&m_text);
        text.setRenderHint(QPainter::TextAntialiasing);
        text.setFont(titleFont());
        text.setPen(Qt::white);
        text.drawText(QRectF(QPointF(0, 0), size), Qt::AlignCenter, titleText());
    }
    // White letters stay white under any brightness, so only the glows and
    // the tube's level change the picture.
    const double glowing = std::clamp(m_glowing.value(), 0.0, 1.0);
    const double flicker = std::clamp(m_flicker.value(), 0.0, 1.0);
    const QPointF topLeft = centre - QPointF(size.width() / 2, size.height() / 2);
    GlowCache& glows = GlowCache::shared();
    glows.paint(painter, m_text, topLeft, 4, lumivoMagenta(), 0.18 * (1 - glowing) * flicker);
    glows.paint(painter, m_text, topLeft, 10, lumivoMagenta(), 0.55 * glowing * flicker);
    glows.paint(painter, m_text, topLeft, 2, Qt::white, 0.38 * (1 - glowing) * flicker * flicker);
    glows.paint(painter, m_text, topLeft, 7, Qt::white, 0.95 * glowing * flicker * flicker);
    painter.save();
    painter.setOpacity(painter.opacity() * flicker);
    painter.drawImage(topLeft, m_text);
    painter.restore();
}
