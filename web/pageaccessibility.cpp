#include "web/pageaccessibility.h"

#include "config/logcategories.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>

namespace {

const char kTreeSwitch[] = "--force-renderer-accessibility";
const char kFlagsVariable[] = "QTWEBENGINE_CHROMIUM_FLAGS";
// Qt WebEngine 5.15 on Linux follows the toolkit's accessibility only when
// this is set before its first page; "0" keeps it off, as later Qt reads it.
const char kFollowVariable[] = "QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY";

// A bus that takes longer than this to answer is not waited for: the window
// comes first, and the toolkit still switches the tree on when it hears.
constexpr int answerTimeoutMs = 300;

bool statusProperty(const QDBusConnection &session, const QString &name)
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.a11y.Status") << name;
    const QDBusMessage answer = session.call(get, QDBus::Block, answerTimeoutMs);
    if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().isEmpty())
        return false;
    return answer.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

} // namespace

bool PageAccessibility::busUp(const QDBusConnection &session)
{
    return session.isConnected() && session.interface()
           && session.interface()->isServiceRegistered(QStringLiteral("org.a11y.Bus"));
}

bool PageAccessibility::assistiveTechnologyOn(const QDBusConnection &session)
{
    if (!busUp(session))
        return false;
    // Not IsEnabled: desktops leave it on for good once anything set it, and
    // the toolkit itself goes on the bus only for a screen reader.
    return statusProperty(session, QStringLiteral("ScreenReaderEnabled"));
}

QByteArray PageAccessibility::withPageTree(const QByteArray &flags)
{
    if (flags.split(' ').contains(kTreeSwitch))
        return flags;
    const QByteArray trimmed = flags.trimmed();
    return trimmed.isEmpty() ? QByteArray(kTreeSwitch) : trimmed + ' ' + kTreeSwitch;
}

bool PageAccessibility::prepareEngine()
{
    if (qgetenv(kFollowVariable) == "0") {
        qunsetenv(kFollowVariable);
        return false;
    }
    // The variable asks for the toolkit's accessibility whatever the bus says.
    const QDBusConnection session = QDBusConnection::sessionBus();
    const bool on = qEnvironmentVariableIsSet("QT_LINUX_ACCESSIBILITY_ALWAYS_ON") || assistiveTechnologyOn(session);
    // A bus that comes up later switches the toolkit on only for a screen
    // reader, and the engine follows. A bus that is up already without one
    // may still have switched the toolkit on (its address on the X root
    // window does that), and the engine would then build every page's tree
    // for nobody.
    if (on || (session.isConnected() && !busUp(session)))
        qputenv(kFollowVariable, "1");
    if (on) {
        qputenv(kFlagsVariable, withPageTree(qgetenv(kFlagsVariable)));
        qCDebug(lcWeb) << "pageAccessibility: on";
    }
    return on;
}
