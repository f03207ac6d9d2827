#pragma once

#include "SubPanel.h"

#include <cstdint>
#include <memory>
#include <vector>

// The task manager: the running applications with their icons, the
// front-most marked, each with a Quit button that becomes Force Quit once it
// failed to quit in time, and "Quit All", which asks first and quits every
// listed application on a second press. The list scrolls when the panel has
// too little room.
class TaskPanel final : public ListPanel {
public:
    explicit TaskPanel(MenuContext& context);

    bool refresh() override;

    // The names of a row's button and of the two-step quit of all.
    static QString quitName(const RunningAppInfo& app, bool forceReady);
    static QString quitAllName(bool confirming);

    static constexpr qreal rowHeight = 30;
    static inline const QString emptyText = QStringLiteral("No apps running.");

private:
    // What one row was built from.
    struct Shown {
        std::int32_t id;
        QString name;
        bool isFrontmost;
        qint64 icon;
        bool forceReady;
        friend bool operator==(const Shown&, const Shown&) = default;
    };
    std::vector<Shown> shown() const;

    qreal layoutFrom(qreal top) override;
    std::vector<MenuPiece*> panelPieces() override;
    std::vector<MenuPiece*> listPieces() override;
    void buildRows();
    void dressQuitAll();
    void pressQuitAll();
    std::unique_ptr<MenuButton> quitButton(const RunningAppInfo& app, bool forceReady);

    std::vector<Shown> m_shown;
    std::unique_ptr<MenuButton> m_quitAll;
    std::vector<std::unique_ptr<MenuPicture>> m_rows;
    std::vector<std::unique_ptr<MenuButton>> m_quits;
    MenuPicture m_empty;
};
