// SPDX-License-Identifier: Apache-2.0
#include "hostlink/endpoint.h"

#include <QtTest>

class tst_Endpoint : public QObject
{
    Q_OBJECT
private slots:
    void name_data();
    void name();
    void shape();
};

void tst_Endpoint::name_data()
{
    QTest::addColumn<QString>("dir");
    QTest::addColumn<QString>("expected");
    // digests worked out with md5sum over the path bytes
    QTest::newRow("installation") << "/opt/vellchat/browser"
        << "/tmp/3bb82a9424d6758490372aee9236b7ac-ChannelWebBroswerProcess-{87A94AB0-E370-4cde-98D3-ACC110C5967D}";
    QTest::newRow("moved") << "/opt/vellchat/browser2"
        << "/tmp/81684622b7e497e795748587f100c5ff-ChannelWebBroswerProcess-{87A94AB0-E370-4cde-98D3-ACC110C5967D}";
}

void tst_Endpoint::name()
{
    QFETCH(QString, dir);
    QFETCH(QString, expected);
    QCOMPARE(endpointName(dir), expected);
}

void tst_Endpoint::shape()
{
    const QString a = endpointName(QStringLiteral("/usr/lib/x"));
    const QString b = endpointName(QStringLiteral("/usr/lib/y"));
    QCOMPARE(a.size(), 101);
    QVERIFY(a.startsWith(QLatin1String("/tmp/")));
    QVERIFY(a.endsWith(QLatin1String("ChannelWebBroswerProcess-{87A94AB0-E370-4cde-98D3-ACC110C5967D}")));
    // only the 32 digest digits differ between installations
    QCOMPARE(a.left(5), b.left(5));
    QCOMPARE(a.mid(37), b.mid(37));
    QVERIFY(a.mid(5, 32) != b.mid(5, 32));
    QCOMPARE(psServerPrefix(), QStringLiteral("/tmp/"));
}

QTEST_GUILESS_MAIN(tst_Endpoint)
#include "tst_endpoint.moc"
