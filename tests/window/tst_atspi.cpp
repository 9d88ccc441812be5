#include "tests/support/browserprocess.h"
#include "tests/support/fakehost.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

// The built browser as a screen reader meets it: the test runs in a session
// with an accessibility bus (tests/support/a11y-session), and a small pyatspi
// script, on Debian's own python3, looks for the window's objects by name and
// works them. What reaches the host is checked byte for byte.
class tst_AtSpi : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void buttonsByName();
    void pressSendsTheClickBytes();
    void historyRows();
    void progressRenamesTheRow();
    void removalAsksThroughTheBox();
    void cleanupTestCase();
private:
    QByteArray atspi(const QStringList &arguments);
    QJsonArray atspiJson(const QStringList &arguments);
    // Asks again (each run of the script takes a while) until the summary
    // holds the line or the time is up.
    QStringList waitForLine(const QString &command, const QString &line);
    static QStringList summary(const QJsonArray &objects);
    BrowserProcess browser;
    QScopedPointer<FakeHost> host;
    QString listKey;
};

namespace {

const char *const app = "channel-web-browser";
const qint64 noon = QDateTime(QDate(2026, 12, 7), QTime(12, 0)).toMSecsSinceEpoch();

QJsonObject record(const QString &key, const QString &name, int status, qint64 size, qint64 offset)
{
    return QJsonObject{{"key", key}, {"name", name}, {"createTime", double(noon)}, {"updateTime", double(noon)},
                       {"fileSize", double(size)}, {"status", status}, {"downloadOffset", double(offset)},
                       {"fileExists", true}};
}

} // namespace

QByteArray tst_AtSpi::atspi(const QStringList &arguments)
{
    QProcess python;
    python.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    python.start("/usr/bin/python3", QStringList{WB_ATSPI_SCRIPT, app} + arguments);
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        return QByteArray("failed: ") + arguments.join(' ').toUtf8();
    return python.readAllStandardOutput().trimmed();
}

QJsonArray tst_AtSpi::atspiJson(const QStringList &arguments)
{
    const QByteArray out = atspi(arguments);
    const QJsonDocument document = QJsonDocument::fromJson(out);
    if (!document.isArray())
        qWarning("not a list: %s", out.constData());
    return document.array();
}

QStringList tst_AtSpi::waitForLine(const QString &command, const QString &line)
{
    QDeadlineTimer deadline(30000);
    QStringList lines;
    do {
        lines = summary(atspiJson({command}));
        if (lines.contains(line))
            break;
        QTest::qWait(100);
    } while (!deadline.hasExpired());
    return lines;
}

// "name: actions, states" per object, states among enabled, focusable.
QStringList tst_AtSpi::summary(const QJsonArray &objects)
{
    QStringList out;
    for (const QJsonValue &value : objects) {
        const QJsonObject object = value.toObject();
        QStringList actions;
        for (const QJsonValue &action : object.value("actions").toArray())
            actions << action.toString();
        QStringList states;
        if (object.value("enabled").toBool())
            states << "enabled";
        if (object.value("focusable").toBool())
            states << "focusable";
        out << QStringLiteral("%1: %2; %3").arg(object.value("name").toString(), actions.join(','), states.join(','));
    }
    return out;
}

void tst_AtSpi::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") || qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs a session bus and an X server: ctest runs this under tests/support/a11y-session");
    QVERIFY(browser.isValid());
    host.reset(new FakeHost(browser.endpoint()));
    browser.start();
    QVERIFY(host->waitForClient());
    host->send("config", "title", "Reader Test");
    host->send("config", "refreshText", "Reload page");
    host->send("config", "webFileText", "History");
    host->send("config", "windowsRect", "0,0,700,600");
    host->send("event", "showUrl", "about:blank");
    QCOMPARE(QProcess::execute("timeout", {"30", "xdotool", "search", "--sync", "--onlyvisible", "--name", "Reader Test"}), 0);
}

void tst_AtSpi::buttonsByName()
{
    QCOMPARE(summary(atspiJson({"buttons"})),
             QStringList({"Reader Test: Press; ",
                          "Reload page: Press,SetFocus; enabled,focusable",
                          "Collect: Press,SetFocus; enabled,focusable",
                          "Share: Press,SetFocus; enabled,focusable",
                          "History: Press,SetFocus; enabled,focusable"}));
}

void tst_AtSpi::pressSendsTheClickBytes()
{
    host->clear();
    QCOMPARE(atspi({"press", "Reload page"}), QByteArray());
    QTRY_COMPARE(host->rawBytes(), QByteArray("feedback:refresh:;"));
}

void tst_AtSpi::historyRows()
{
    QCOMPARE(atspi({"press", "History"}), QByteArray());
    const HostFrame ask = host->waitFor("webfile", "getFileList");
    listKey = QString::fromUtf8(ask.payload);
    QCOMPARE(listKey.size(), 32);
    const QJsonArray data{record("k-run", "movie.mp4", 1, 1000, 450), record("k-done", "report.pdf", 2, 2048, 2048)};
    host->send("webfile", "getFileListRes", QJsonDocument(QJsonObject{{"data", data}, {"key", listKey}}).toJson());

    const QStringList rows = waitForLine("rows", "report.pdf, 2.0 KB, Download succeed: openfilefolder,removedownloadfile; enabled,focusable");
    QCOMPARE(rows, QStringList({"12-07: ; enabled,focusable",
                                "movie.mp4, 1000.0 B, 45 %: removedownloadfile; enabled,focusable",
                                "report.pdf, 2.0 KB, Download succeed: openfilefolder,removedownloadfile; enabled,focusable"}));
    host->clear();
    QCOMPARE(atspi({"act", "report.pdf, 2.0 KB, Download succeed", "openfilefolder"}), QByteArray());
    QTRY_COMPARE(host->rawBytes(), QByteArray("webfile:openFileFolder:") + QByteArray("k-done").toBase64() + ';');
}

// A screen reader hears the new progress of a download as the row's new name.
void tst_AtSpi::progressRenamesTheRow()
{
    QProcess listener;
    listener.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    listener.start("/usr/bin/python3", {WB_ATSPI_SCRIPT, app, "renamed", "20"});
    QVERIFY(listener.waitForReadyRead(30000));
    QCOMPARE(listener.readLine().trimmed(), QByteArray("listening"));

    host->clear();
    const HostFrame poll = host->waitFor("webfile", "getDownloadOffset");
    const QString key = QJsonDocument::fromJson(poll.payload).object().value("key").toString();
    const QJsonArray progress{QJsonObject{{"key", "k-run"}, {"downloadOffset", 900}}};
    host->send("webfile", "getDownloadOffsetRes", QJsonDocument(QJsonObject{{"data", progress}, {"key", key}}).toJson());
    QVERIFY(listener.waitForFinished(30000));
    QCOMPARE(listener.readAll().trimmed(), QByteArray("movie.mp4, 1000.0 B, 90 %"));
}

void tst_AtSpi::removalAsksThroughTheBox()
{
    host->clear();
    QCOMPARE(atspi({"act", "report.pdf, 2.0 KB, Download succeed", "removedownloadfile"}), QByteArray());
    const QStringList buttons = waitForLine("buttons", "Delete: Press,SetFocus; enabled,focusable");
    QVERIFY(buttons.contains("Delete: Press,SetFocus; enabled,focusable"));
    QVERIFY(buttons.contains("Cancel: Press,SetFocus; enabled,focusable"));
    QCOMPARE(host->framesOf("webfile", "removeHistory").size(), 0);

    QCOMPARE(atspi({"press", "Delete"}), QByteArray());
    const HostFrame removal = host->waitFor("webfile", "removeHistory");
    const QJsonObject asked = QJsonDocument::fromJson(removal.payload).object();
    QCOMPARE(asked.value("fileKey").toString(), QStringLiteral("k-done"));
    QCOMPARE(asked.value("key").toString().size(), 32);
}

void tst_AtSpi::cleanupTestCase()
{
    if (!host)
        return;
    host->hangUp();
    QVERIFY(browser.process().waitForFinished(10000));
    QCOMPARE(browser.process().exitCode(), 0);
}

QTEST_MAIN(tst_AtSpi)
#include "tst_atspi.moc"
