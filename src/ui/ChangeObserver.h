#pragma once

#include "Motion.h"

#include <QObject>

#include <functional>
#include <optional>

class ObservableObject;

// Hands a view each change of an observable object once its new value is
// stored, with the motion of the transaction it was made in (none when it
// was made without animation). An object announces a change before storing
// it, so each announcement first settles the one before, and the last is
// settled on the next turn of the event loop.
class ChangeObserver final : public QObject {
public:
    using Apply = std::function<void(const std::optional<Motion>& motion)>;

    ChangeObserver(ObservableObject& object, Apply apply, QObject* parent);

    // Settles a change still waiting, as the views do before they read.
    void settle();

private:
    void willChange();

    ObservableObject& m_object;
    Apply m_apply;
    bool m_pending = false;
    bool m_queued = false;
    std::optional<Motion> m_motion;
};
