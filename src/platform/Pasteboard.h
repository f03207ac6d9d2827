#pragma once

#include <QString>

// The desktop's clipboard, holding plain text.
class Pasteboard {
public:
    virtual ~Pasteboard() = default;

    // Replaces whatever the clipboard held with text.
    virtual void replaceText(const QString& text) = 0;
    virtual QString text() const = 0;
};
