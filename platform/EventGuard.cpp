#include "platform/EventGuard.h"

#include <QObject>
#include <QWidget>

namespace {

int delivering = 0;  // events being delivered, nested ones counted each

} // namespace

TWindowSystemEvent::TWindowSystemEvent() noexcept { ++delivering; }

TWindowSystemEvent::~TWindowSystemEvent() { --delivering; }

bool TWindowSystemEvent::Delivering() noexcept { return delivering > 0; }

void DeleteQtObject(QObject* object) noexcept
{
    if (!object) return;
    if (!TWindowSystemEvent::Delivering()) {
        delete object;
        return;
    }
    // A widget leaves its parent at once, as if deleted, though it is deleted later.
    if (auto* widget = qobject_cast<QWidget*>(object)) {
        widget->hide();
        widget->setParent(nullptr);
    }
    object->deleteLater();
}
