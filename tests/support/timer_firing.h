#pragma once

#include <QMetaObject>
#include <QObject>
#include <QTest>
#include <QTimer>

namespace qm3270::test {

// Fires the running timer `name` below `owner` as if its period had passed, so a
// test decides exactly when each tick comes. Returns false when no such timer
// runs (a stopped timer never ticks).
inline bool fireTimer(QObject* owner, const char* name) {
    auto* timer = owner->findChild<QTimer*>(QLatin1String(name));
    if (timer == nullptr || !timer->isActive()) {
        return false;
    }
    return QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
}

}  // namespace qm3270::test
