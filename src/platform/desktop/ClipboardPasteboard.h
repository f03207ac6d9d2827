#pragma once

#include "platform/Pasteboard.h"

// The clipboard of the running Qt application.
class ClipboardPasteboard final : public Pasteboard {
public:
    void replaceText(const QString& text) override;
    QString text() const override;
};
