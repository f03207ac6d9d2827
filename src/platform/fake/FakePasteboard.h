#pragma once

#include "platform/Pasteboard.h"

#include <QStringList>

// Keeps the clipboard text in memory and remembers every replacement.
class FakePasteboard final : public Pasteboard {
public:
    void replaceText(const QString& text) override { replacements.append(text); }
    QString text() const override { return replacements.isEmpty() ? QString() : replacements.last(); }

    QStringList replacements;
};
