#include "widgets/atspisignal.h"

#include <QAccessible>
#include <QApplication>
#include <QWidget>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace {

// The toolkit's own names: its connection to the accessibility bus and the
// paths it gives its objects there.
const char kConnection[] = "a11y";
const char kRootPath[] = "/org/a11y/atspi/accessible/root";
const char kObjectPrefix[] = "/org/a11y/atspi/accessible/";

QString pathOf(QAccessibleInterface *object)
{
    if (object->role() == QAccessible::Application)
        return QString::fromLatin1(kRootPath);
    return QString::fromLatin1(kObjectPrefix) + QString::number(QAccessible::uniqueId(object));
}

// kind, two numbers, any data, and the application the object belongs to.
bool send(QAccessibleInterface *object, const QString &member, const QString &kind, int detail, const QVariant &data)
{
    QDBusConnection bus(QString::fromLatin1(kConnection));
    if (!object || !object->isValid() || !bus.isConnected() || !QAccessible::isActive())
        return false;
    QDBusMessage signal = QDBusMessage::createSignal(pathOf(object), QStringLiteral("org.a11y.atspi.Event.Object"), member);
    QDBusArgument application;
    application.beginStructure();
    application << bus.baseService() << QDBusObjectPath(kRootPath);
    application.endStructure();
    signal << kind << detail << 0 << QVariant::fromValue(QDBusVariant(data)) << QVariant::fromValue(application);
    return bus.send(signal);
}

} // namespace

bool AtSpiSignal::stateChanged(QAccessibleInterface *object, const QString &state, bool on)
{
    return send(object, QStringLiteral("StateChanged"), state, on ? 1 : 0, 0);
}

bool AtSpiSignal::descriptionChanged(QAccessibleInterface *object, const QString &text)
{
    return send(object, QStringLiteral("PropertyChange"), QStringLiteral("accessible-description"), 0, text);
}

bool AtSpiSignal::announce(const QString &text)
{
    QWidget *keys = QApplication::focusWidget();
    if (!keys || !QAccessible::isActive())
        return false;
    QAccessibleInterface *object = QAccessible::queryAccessibleInterface(keys);
    for (int depth = 0; object && depth < 8; ++depth) {
        QAccessibleInterface *inner = object->focusChild();
        if (!inner || inner == object || QAccessible::uniqueId(inner) == QAccessible::uniqueId(object))
            break;
        object = inner;
    }
    return descriptionChanged(object, text);
}
