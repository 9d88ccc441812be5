#include "web/pageaccessibility.h"

#include "config/logcategories.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace {

const char kTreeSwitch[] = "--force-renderer-accessibility";
const char kFlagsVariable[] = "QTWEBENGINE_CHROMIUM_FLAGS";
// Qt WebEngine 5.15 on Linux follows the toolkit's accessibility only when
// this is set before its first page; "0" keeps it off, as later Qt reads it.
const char kFollowVariable[] = "QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY";

const char kAlwaysOnVariable[] = "QT_LINUX_ACCESSIBILITY_ALWAYS_ON";
const char kReaderProperty[] = "ScreenReaderEnabled";

// A bus that takes longer than this to answer is not waited for: the window
// comes first, and the toolkit still switches the tree on when it hears.
constexpr int answerTimeoutMs = 300;

// Set by prepareToolkit: whoever started us asked for the toolkit on the bus,
// or we put it there ourselves so that a screen reader turned on later finds
// the window (the toolkit reads whether one is on only at start).
bool askedAlwaysOn = false;
bool madeAlwaysOn = false;

QDBusMessage statusGet(const QString &name)
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.a11y.Status") << name;
    return get;
}

bool statusProperty(const QDBusConnection &session, const QString &name)
{
    const QDBusMessage answer = session.call(statusGet(name), QDBus::Block, answerTimeoutMs);
    if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().isEmpty())
        return false;
    return answer.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

// The engine builds its tree while the toolkit says accessibility is active,
// and the toolkit, put on the bus for a reader that may come, says so from
// the moment it is there. The gate tells the engine "inactive" until the bus
// says a screen reader is on, and "active" from then on; the toolkit's own
// window stays on the bus throughout, which costs nothing while nobody
// listens.
class ReaderGate : public QObject, public QAccessible::ActivationObserver
{
public:
    explicit ReaderGate(QObject *parent)
        : QObject(parent)
    {
        QAccessible::installActivationObserver(this);
        QDBusConnection::sessionBus().connect(
            QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"), this,
            SLOT(statusChanged(QString,QVariantMap,QStringList)));
    }
    ~ReaderGate() override { QAccessible::removeActivationObserver(this); }

    void accessibilityActiveChanged(bool active) override
    {
        // Ours, or the toolkit's own switch-off: nothing to hold back.
        if (!active || readerOn || telling)
            return;
        // The toolkit just went on the bus: ask whether a reader is there
        // already (one started with the bus gives no change to hear).
        auto *watcher = new QDBusPendingCallWatcher(
            QDBusConnection::sessionBus().asyncCall(statusGet(QLatin1String(kReaderProperty)), answerTimeoutMs), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
            w->deleteLater();
            const QDBusPendingReply<QDBusVariant> reply = *w;
            follow(reply.isValid() && reply.value().variant().toBool());
        });
    }

private:
    Q_OBJECT
    Q_SLOT void statusChanged(const QString &interfaceName, const QVariantMap &changed, const QStringList &)
    {
        const auto reader = changed.constFind(QLatin1String(kReaderProperty));
        if (interfaceName == QLatin1String("org.a11y.Status") && reader != changed.constEnd())
            follow(reader->toBool());
    }

    void follow(bool on)
    {
        const bool was = readerOn;
        readerOn = on;
        if (on && !was)
            qCDebug(lcWeb) << "pageAccessibility: on";
        else if (!on && was)
            qCDebug(lcWeb) << "pageAccessibility: off";
        // Only observers hear this; the toolkit stays on the bus. Never from
        // inside the toolkit's own round of telling observers.
        QMetaObject::invokeMethod(this, [this] {
            telling = true;
            QAccessible::setActive(readerOn && QAccessible::isActive());
            telling = false;
        }, Qt::QueuedConnection);
    }

    bool readerOn = false;
    bool telling = false;
};

} // namespace

void PageAccessibility::prepareToolkit()
{
    askedAlwaysOn = qEnvironmentVariableIsSet(kAlwaysOnVariable);
    const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    if (askedAlwaysOn || qgetenv(kFollowVariable) == "0" || bus.startsWith("disabled:"))
        return;
    qputenv(kAlwaysOnVariable, "1");
    madeAlwaysOn = true;
}

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
    // The variable, set by whoever started us, asks for the toolkit's
    // accessibility whatever the bus says.
    const QDBusConnection session = QDBusConnection::sessionBus();
    const bool on = askedAlwaysOn || assistiveTechnologyOn(session);
    if (on) {
        qputenv(kFollowVariable, "1");
        qputenv(kFlagsVariable, withPageTree(qgetenv(kFlagsVariable)));
        qCDebug(lcWeb) << "pageAccessibility: on";
        return true;
    }
    if (madeAlwaysOn) {
        // The engine follows what the gate tells it, from no tree to start with.
        qputenv(kFollowVariable, "1");
        new ReaderGate(QCoreApplication::instance());
    } else if (session.isConnected() && !busUp(session)) {
        // Without the toolkit always on, a bus that comes up later switches
        // it on only for a screen reader, and the engine follows.
        qputenv(kFollowVariable, "1");
    }
    return false;
}

#include "pageaccessibility.moc"
