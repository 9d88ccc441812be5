// SPDX-License-Identifier: Apache-2.0
#include "config/configkeys.h"
#include "hostlib/browserhost.h"

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
    void everySignalNamed();
private:
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

void tst_Guide::everyKeyListedWithItsCall()
{
    const int start = guide.indexOf(QLatin1String("\n## 3. Configuration keys"));
    const int end = guide.indexOf(QLatin1String("\n## 4."), start);
    QVERIFY(start > 0 && end > start);
    const QString header = read(QStringLiteral("hostlib/browserlink.h"));
    static const QRegularExpression row(QStringLiteral("^\\| `\"(\\w+)\"` \\| `(\\w+)` \\|"), QRegularExpression::MultilineOption);
    QStringList keys;
    auto it = row.globalMatch(guide.mid(start, end - start));
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        keys << m.captured(1);
        QVERIFY2(header.contains(QStringLiteral("void ") + m.captured(2) + QLatin1Char('(')), qPrintable(m.captured(2)));
    }
    keys.sort();
    QCOMPARE(keys, ConfigKeys::keys());
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

QTEST_GUILESS_MAIN(tst_Guide)
#include "tst_guide.moc"
