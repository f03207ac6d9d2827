#include "shell/MenuPalette.h"

#include "model/BrandColors.h"

namespace {

QColor grey(qreal level) { return QColor::fromRgbF(level, level, level); }

} // namespace

QPalette companionMenuPalette(const QPalette& desktop)
{
    if (desktop.color(QPalette::Window).lightness() <= desktop.color(QPalette::WindowText).lightness())
        return desktop;
    QPalette dark = desktop;
    for (const QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
        dark.setColor(role, grey(0.16));
    for (const QPalette::ColorRole role : {QPalette::AlternateBase, QPalette::Midlight, QPalette::Light})
        dark.setColor(role, grey(0.24));
    dark.setColor(QPalette::Mid, grey(0.32));
    dark.setColor(QPalette::Dark, grey(0.1));
    dark.setColor(QPalette::Shadow, Qt::black);
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::BrightText})
        dark.setColor(role, grey(0.96));
    dark.setColor(QPalette::Highlight, lumivoViolet());
    dark.setColor(QPalette::HighlightedText, Qt::white);
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(QPalette::Disabled, role, grey(0.5));
    return dark;
}
