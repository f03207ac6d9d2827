#pragma once

#include "MenuButton.h"
#include "model/CompanionDestinations.h"
#include "model/Scheduler.h"

#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

// The menu's second row: a sideways-scrolling strip of circles. The weather
// and the clock, five fixed media circles, one circle per personal app (up
// to mostPersonalCircles) and the dashed circle that adds one. Every circle
// but the add circle opens its target and closes the menu.
class MediaUtilityBar final : public MenuSection {
public:
    // Far more than a person keeps in the row. Only an edited settings file
    // holds more, and thousands of circles take seconds to build and paint.
    static constexpr qsizetype mostPersonalCircles = 300;

    explicit MediaUtilityBar(MenuContext& context);
    ~MediaUtilityBar() override;

    bool refresh() override;
    void setOnScreen(bool onScreen) override;
    qreal layout(qreal top) override;
    void paint(QPainter& painter, const QRectF& dirty) override;
    std::vector<MenuPiece*> pieces() override;

    // One fixed circle: its title, its symbol when it has no picture, the
    // application whose icon it shows, and where it leads.
    struct FixedCircle {
        QString title;
        QString symbol;
        QString applicationPath;
        bool huluPicture = false;
        CompanionCTA target;
    };
    static std::vector<FixedCircle> fixedCircles();

    // Every circle, left to right.
    std::vector<MenuButton*> circles() const;
    qreal scrollOffset() const { return m_scroll; }
    void scrollBy(qreal points);

private:
    std::unique_ptr<MenuButton> circle(const QString& name, const QString& toolTip);
    void buildWeather();
    void buildClock();
    void buildPersonalApps();
    void scheduleClock();
    qreal contentWidth() const;
    QRectF rowRect() const;

    QString m_weather;
    QStringList m_apps;
    std::unique_ptr<QWidget> m_strip;
    std::unique_ptr<MenuButton> m_weatherCircle;
    std::unique_ptr<MenuButton> m_clockCircle;
    std::vector<std::unique_ptr<MenuButton>> m_fixed;
    std::vector<std::unique_ptr<MenuButton>> m_personal;
    std::unique_ptr<MenuButton> m_add;
    qreal m_top = 0;
    qreal m_scroll = 0;
    ScheduledWork m_clockTick;
};
