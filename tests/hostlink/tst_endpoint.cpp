// SPDX-License-Identifier: Apache-2.0
#include "hostlink/endpoint.h"

#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

class tst_Endpoint : public QObject
{
    Q_OBJECT
private slots:
    void name_data();
    void name();
    void shape();
    void userEndpointFirst_data();
    void userEndpointFirst();
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

void tst_Endpoint::userEndpointFirst_data()
{
    // XDG_RUNTIME_DIR: "%1" is a fresh folder made with the mode given; the
    // names the browser tries, in order ("%1" again for that folder).
    QTest::addColumn<QString>("variable");
    QTest::addColumn<int>("mode");   // 0: no folder made
    QTest::addColumn<int>("owner");  // -1: ours
    QTest::addColumn<QStringList>("names");
    const QString shared = "/tmp/3bb82a9424d6758490372aee9236b7ac-ChannelWebBroswerProcess-{87A94AB0-E370-4cde-98D3-ACC110C5967D}";
    const QString own = "%1/channel-web-browser-3bb82a9424d6758490372aee9236b7ac";
    QTest::newRow("ours, 0700") << "%1" << 0700 << -1 << QStringList{own, shared};
    QTest::newRow("others may enter, 0711") << "%1" << 0711 << -1 << QStringList{shared};
    QTest::newRow("group may read, 0750") << "%1" << 0750 << -1 << QStringList{shared};
    QTest::newRow("another user's") << "%1" << 0700 << 65534 << QStringList{shared};
    QTest::newRow("not there") << "%1/gone" << 0700 << -1 << QStringList{shared};
    QTest::newRow("a file") << "%1/file" << 0700 << -1 << QStringList{shared};
    QTest::newRow("relative") << "run" << 0 << -1 << QStringList{shared};
    QTest::newRow("unset") << "" << 0 << -1 << QStringList{shared};
    QTest::newRow("too deep for a socket") << "%1/" + QString(60, 'd') << 0700 << -1 << QStringList{shared};
}

void tst_Endpoint::userEndpointFirst()
{
    QFETCH(QString, variable);
    QFETCH(int, mode);
    QFETCH(int, owner);
    QFETCH(QStringList, names);
    QTemporaryDir temp;
    const QString folder = temp.filePath("run");
    if (mode) {
        QVERIFY(QDir().mkdir(folder));
        QFile file(folder + "/file");
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QString deep = folder + '/' + QString(60, 'd');
        QVERIFY(QDir().mkdir(deep));
        for (const QString &dir : {folder, deep})
            QVERIFY(::chmod(QFile::encodeName(dir).constData(), mode_t(mode)) == 0);
        if (owner >= 0) {
            if (::geteuid() != 0)
                QSKIP("only root can give a folder away");
            QVERIFY(::chown(QFile::encodeName(folder).constData(), uid_t(owner), gid_t(owner)) == 0);
        }
    }
    const QString dir = userRuntimeDir(QFile::encodeName(variable.arg(folder)));
    for (QString &name : names)
        name = name.arg(folder);
    QCOMPARE(endpointNames(QStringLiteral("/opt/vellchat/browser"), dir), names);
}

QTEST_GUILESS_MAIN(tst_Endpoint)
#include "tst_endpoint.moc"
