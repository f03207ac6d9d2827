#pragma once

#include <QWidget>

class CompanionModel;

// Stand-ins for the mascot and the alert bubble: they fill the panels with
// the panels' own sizes and show the alert as plain text.
class CompanionPlaceholderView final : public QWidget {
public:
    explicit CompanionPlaceholderView(CompanionModel& model);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CompanionModel& m_model;
};

class AlertBubblePlaceholderView final : public QWidget {
public:
    explicit AlertBubblePlaceholderView(CompanionModel& model);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CompanionModel& m_model;
};
