// SPDX-License-Identifier: Apache-2.0
#include "config/configkeys.h"
#include "config/permissionpolicy.h"
#include "config/vellchatwbconfigure.h"
#include "hostlib/browserhost.h"
#include "hostlink/hostcommands.h"
#include "hostlink/hostdecoder.h"
#include "tests/hostlib/linkrecorder.h"

#include <algorithm>
#include <QFile>
#include <QMetaMethod>
#include <QRegularExpression>
#include <QtTest>

// The integrators' guide stays true to the code: its snippets are the
// example's own lines, its key table is the browser's key table, and every
// call and signal it names exists.
class tst_Guide : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void snippetsAreTheExample_data();
    void snippetsAreTheExample();
    void exampleBuildFileShownWhole();
    void everyKeyListedWithItsCall();
    void everySetterReachesTheStore();
    void everyPermissionFeatureNamed();
    void everySignalNamed();
    void everyMessageListed();
    void examplesAreUnderstood_data();
    void examplesAreUnderstood();
private:
    // The rows of the message table: direction, "category:subcommand", example.
    QList<QStringList> messageRows() const;
    static QString read(const QString &relative);
    QString guide;
};

QString tst_Guide::read(const QString &relative)
{
    QFile file(QStringLiteral(WB_SOURCE_DIR "/") + relative);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

void tst_Guide::initTestCase()
{
    guide = read(QStringLiteral("host/README.md"));
    QVERIFY(!guide.isEmpty());
}

void tst_Guide::snippetsAreTheExample_data()
{
    QTest::addColumn<QString>("snippet");
    // Regions between two "//! [name]" lines, without their common indent.
    const QStringList lines = read(QStringLiteral("examples/minimal-host/main.cpp")).split(QLatin1Char('\n'));
    QString name;
    QStringList region;
    for (const QString &line : lines) {
        const QString marker = line.trimmed();
        if (!marker.startsWith(QLatin1String("//! ["))) {
            if (!name.isEmpty())
                region << line;
            continue;
        }
        if (name.isEmpty()) {
            name = marker.mid(5).chopped(1);
            region.clear();
            continue;
        }
        int indent = INT_MAX;
        for (const QString &l : region) {
            int lead = 0;
            while (lead < l.size() && l.at(lead) == QLatin1Char(' '))
                ++lead;
            if (lead < l.size())
                indent = qMin(indent, lead);
        }
        QStringList dedented;
        for (const QString &l : region)
            dedented << l.mid(qMin(indent, l.size()));
        QTest::newRow(qPrintable(name)) << dedented.join(QLatin1Char('\n'));
        name.clear();
    }
    QVERIFY2(name.isEmpty(), "a snippet region is not closed");
}

void tst_Guide::snippetsAreTheExample()
{
    QFETCH(QString, snippet);
    QVERIFY(!snippet.trimmed().isEmpty());
    QVERIFY2(guide.contains(QStringLiteral("```cpp\n") + snippet + QStringLiteral("\n```")), qPrintable(snippet));
}

void tst_Guide::exampleBuildFileShownWhole()
{
    const QString cmake = read(QStringLiteral("examples/minimal-host/CMakeLists.txt"));
    QVERIFY(!cmake.isEmpty());
    QVERIFY(guide.contains(QStringLiteral("```cmake\n") + cmake + QStringLiteral("```")));
}

// The guide's key table is the list of keys, row by row, with the library's
// setter for each.
void tst_Guide::everyKeyListedWithItsCall()
{
    const int start = guide.indexOf(QLatin1String("\n## 3. Configuration keys"));
    const int end = guide.indexOf(QLatin1String("\n## 4."), start);
    QVERIFY(start > 0 && end > start);
    static const QRegularExpression row(QStringLiteral("^\\| `\"(\\w+)\"` \\| `(\\w+)` \\|"), QRegularExpression::MultilineOption);
    QStringList guideRows;
    auto it = row.globalMatch(guide.mid(start, end - start));
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        guideRows << m.captured(1) + QLatin1Char(' ') + m.captured(2);
    }
    QStringList listRows;
    QStringList keys;
#define CWB_ROW(Name, key, ...) listRows << QStringLiteral(key " set" #Name); keys << QStringLiteral(key);
    CWB_CONFIG_KEYS(CWB_ROW)
#undef CWB_ROW
    QCOMPARE(guideRows, listRows);
    keys.sort();
    QCOMPARE(ConfigKeys::keys(), keys);
}

// What a host sets with the library is what the browser stores, for every key
// the store keeps as it comes: the library's form of each kind is the form
// the browser's parser reads.
void tst_Guide::everySetterReachesTheStore()
{
    // The store starts as setDefaults() leaves it, which differs from each sample.
    using Store = VellChatWBConfigure;
    ChannelWebBrowser::BrowserLink link;
    QList<ChannelWebBrowser::HostMessage> sent;
    connect(&link, &ChannelWebBrowser::BrowserLink::outgoing, this, [&sent](const QByteArray &frame) {
        sent << ChannelWebBrowser::HostFramer::parse(frame.chopped(1));
    });
    auto applySent = [&sent] {
        if (sent.size() == 1)
            ConfigKeys::apply(sent.first().subcommand, sent.first().payload);
    };
    // A value each kind accepts, unlike the store's default.
    const QString text = QStringLiteral("Zwölf Boxkämpfer, 12");
    const QStringList hosts{QStringLiteral("example.org"), QStringLiteral("*.example.net")};
    const QStringList origins{QStringLiteral("https://example.org"), QStringLiteral("http://127.0.0.1:8080")};
    const QStringList policy{QStringLiteral("camera=allow"), QStringLiteral("screen=host")};
    const QStringList schemes{QStringLiteral("mailto"), QStringLiteral("tel")};
    int checked = 0;
#define CWB_SAMPLE_Text text
#define CWB_SAMPLE_Token text
#define CWB_SAMPLE_Number 77
#define CWB_SAMPLE_SwitchOn false
#define CWB_SAMPLE_SwitchOff true
#define CWB_SAMPLE_HostList hosts
#define CWB_SAMPLE_OriginList origins
#define CWB_SAMPLE_PolicyList policy
#define CWB_SAMPLE_SchemeList schemes
#define CWB_CHECK(Name, key, Kind, Getter, ...) CWB_KEPT_##Kind( \
    sent.clear(); \
    link.set##Name(CWB_SAMPLE_##Kind); \
    QCOMPARE(sent.size(), 1); \
    QCOMPARE(sent.first().subcommand, QStringLiteral(key)); \
    applySent(); \
    QVERIFY2(Store::Getter() == CWB_SAMPLE_##Kind, key); \
    ++checked;)
    CWB_CONFIG_KEYS(CWB_CHECK)
#undef CWB_CHECK
    QVERIFY(checked > 50);
}

// The guide's example policy names every feature of the browser's list.
void tst_Guide::everyPermissionFeatureNamed()
{
    const int start = guide.indexOf(QLatin1String("\n## Page permissions"));
    QVERIFY(start > 0);
    static const QRegularExpression example(QStringLiteral("^    (\\w+=\\w+(?:,\\w+=\\w+)+)$"), QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = example.match(guide, start);
    QVERIFY(m.hasMatch());
    QStringList items;
    QVERIFY(PermissionPolicy::parse(m.captured(1), &items));
    QStringList named;
    for (const QString &item : items)
        named << item.section(QLatin1Char('='), 0, 0);
    QStringList known = PermissionPolicy::featureWords();
    named.sort();
    known.sort();
    QCOMPARE(named, known);
}

void tst_Guide::everySignalNamed()
{
    const QMetaObject &meta = ChannelWebBrowser::BrowserHost::staticMetaObject;
    for (int i = QObject::staticMetaObject.methodCount(); i < meta.methodCount(); ++i) {
        const QMetaMethod method = meta.method(i);
        if (method.methodType() == QMetaMethod::Signal)
            QVERIFY2(guide.contains(QString::fromLatin1(method.name()) + QLatin1Char('(')), method.name().constData());
    }
}

QList<QStringList> tst_Guide::messageRows() const
{
    const int start = guide.indexOf(QLatin1String("\n## Every message on the wire"));
    const int end = guide.indexOf(QLatin1String("\n## "), start + 1);
    static const QRegularExpression row(QStringLiteral("^\\| (host → browser|browser → host) \\| `(\\w+:\\w+)` \\|.*\\| (?:`(.*)`|\\(empty\\)) \\|$"),
                                        QRegularExpression::MultilineOption);
    QList<QStringList> rows;
    auto it = row.globalMatch(guide.mid(start, (end < 0 ? guide.size() : end) - start));
    while (start > 0 && it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        rows << QStringList{m.captured(1), m.captured(2), m.captured(3)};
    }
    return rows;
}

// The table names every word of the wire's vocabulary, the browser's and the
// library's one source, each once.
void tst_Guide::everyMessageListed()
{
    const QString vocabulary = read(QStringLiteral("wire/vocabulary.h"));
    static const QRegularExpression space(QStringLiteral("\\nnamespace (event|feedback|iq|webfile) \\{\\n(.*?)\\n\\}"),
                                          QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression word(QStringLiteral("word\\(\"(\\w+)\"\\)"));
    QStringList words;
    auto spaces = space.globalMatch(vocabulary);
    while (spaces.hasNext()) {
        const QRegularExpressionMatch s = spaces.next();
        auto w = word.globalMatch(s.captured(2));
        while (w.hasNext())
            words << s.captured(1) + QLatin1Char(':') + w.next().captured(1);
    }
    QStringList listed;
    for (const QStringList &r : messageRows())
        listed << r.at(1);
    listed.sort();
    QCOMPARE(listed.size(), int(std::unique(listed.begin(), listed.end()) - listed.begin()));
    words.sort();
    QVERIFY(words.size() > 30);
    QCOMPARE(listed, words);
}

namespace {

// Counts what the browser's decoder makes of the host's messages.
class Heard : public HostCommands
{
public:
    int calls = 0;
    void showUrl(const QString &) override { ++calls; }
    void active() override { ++calls; }
    void showInfo(const QString &) override { ++calls; }
    void postToPage(const QString &) override { ++calls; }
    void updateOpenOutside() override { ++calls; }
    void updateCheckChannel() override { ++calls; }
    void updateStoreToVell() override { ++calls; }
    void updateShareToFriend() override { ++calls; }
    void configChanged() override { ++calls; }
    void currentUserInfo(const QByteArray &) override { ++calls; }
    void webfileList(const QByteArray &) override { ++calls; }
    void webfileDownloadOffset(const QByteArray &) override { ++calls; }
    void startDownload(const QByteArray &) override { ++calls; }
    void restartDownload(const QByteArray &) override { ++calls; }
    void removeHistory(const QByteArray &) override { ++calls; }
    void removeAllHistory(const QByteArray &) override { ++calls; }
    void permissionAnswer(const QByteArray &) override { ++calls; }
    void linkEnded() override {}
};

}

void tst_Guide::examplesAreUnderstood_data()
{
    QTest::addColumn<bool>("toBrowser");
    QTest::addColumn<QByteArray>("frame");
    for (const QStringList &r : messageRows())
        QTest::newRow(qPrintable(r.at(1))) << r.at(0).startsWith(QLatin1String("host "))
                                           << r.at(1).toUtf8() + ':' + r.at(2).toUtf8().toBase64() + ';';
}

// Each example, sent the way the table says, is taken by the side it goes
// to: the browser acts on it, or the library turns it into a typed signal.
void tst_Guide::examplesAreUnderstood()
{
    QFETCH(bool, toBrowser);
    QFETCH(QByteArray, frame);
    if (toBrowser) {
        Heard heard;
        HostDecoder decoder;
        decoder.setReceiver(&heard);
        decoder.frameIncoming(frame);
        decoder.dispatchReady(1);
        QCOMPARE(heard.calls, 1);
    } else {
        ChannelWebBrowser::BrowserLink link;
        LinkRecorder recorder(&link);
        QSignalSpy ignored(&link, &ChannelWebBrowser::BrowserLink::messageIgnored);
        link.receive(frame);
        QCOMPARE(ignored.size(), 0);
        QCOMPARE(recorder.heard().size(), 1);
    }
}

QTEST_GUILESS_MAIN(tst_Guide)
#include "tst_guide.moc"
