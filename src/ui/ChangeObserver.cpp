#include "ChangeObserver.h"

#include "model/Observable.h"

#include <QTimer>

ChangeObserver::ChangeObserver(ObservableObject& object, Apply apply, QObject* parent)
    : QObject(parent), m_object(object), m_apply(std::move(apply))
{
    connect(&object, &ObservableObject::willChange, this, &ChangeObserver::willChange);
}

void ChangeObserver::willChange()
{
    settle();
    m_pending = true;
    m_motion = Motion::from(m_object.currentTransaction());
    if (!m_queued) {
        m_queued = true;
        QTimer::singleShot(0, this, [this] {
            m_queued = false;
            settle();
        });
    }
}

void ChangeObserver::settle()
{
    if (!m_pending)
        return;
    m_pending = false;
    m_apply(std::exchange(m_motion, std::nullopt));
}
