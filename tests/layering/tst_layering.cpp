// SPDX-License-Identifier: Apache-2.0
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

// The rooms of the tree and whom each may include. A room reaches only down;
// where a lower room must reach up (the host link handing a message to the
// window) it calls an interface that the higher room implements.
class tst_Layering : public QObject
{
    Q_OBJECT
private slots:
    void includesGoDown_data();
    void includesGoDown();
};

void tst_Layering::includesGoDown_data()
{
    QTest::addColumn<QString>("room");
    QTest::addColumn<QStringList>("mayInclude");
    QTest::newRow("wire") << "wire" << QStringList{};
    QTest::newRow("resources") << "resources" << QStringList{};
    QTest::newRow("config") << "config" << QStringList{"resources", "wire"};
    QTest::newRow("widgets") << "widgets" << QStringList{"config", "resources"};
    QTest::newRow("web") << "web" << QStringList{"config", "resources", "widgets", "wire"};
    QTest::newRow("downloads") << "downloads" << QStringList{"config", "resources", "widgets", "wire"};
    QTest::newRow("hostlink") << "hostlink" << QStringList{"config", "wire"};
    QTest::newRow("window") << "window"
                            << QStringList{"config", "resources", "widgets", "web", "downloads", "hostlink", "wire"};
    QTest::newRow("app") << "app"
                         << QStringList{"config", "resources", "widgets", "web", "downloads", "hostlink", "window", "wire"};
    // The host library is installed on its own: the wire and the endpoint rule only.
    QTest::newRow("hostlib") << "hostlib" << QStringList{"hostlink", "wire"};
    // reference-host sends its downloads the token by the browser's own host rule
    QTest::newRow("host") << "host" << QStringList{"config", "hostlib", "wire"};
}

void tst_Layering::includesGoDown()
{
    QFETCH(QString, room);
    QFETCH(QStringList, mayInclude);
    const QRegularExpression include(QStringLiteral("^\\s*#\\s*include\\s+\"([a-z]+)/[^\"]+\""),
                                     QRegularExpression::MultilineOption);
    QStringList wrong;
    int files = 0;
    QDirIterator it(QStringLiteral(WB_SOURCE_DIR "/") + room, {"*.h", "*.cpp", "*.h.in"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        ++files;
        const QString text = QString::fromUtf8(file.readAll());
        for (auto m = include.globalMatch(text); m.hasNext();) {
            const QString target = m.next().captured(1);
            if (target != room && !mayInclude.contains(target))
                wrong << QFileInfo(file).fileName() + QStringLiteral(" -> ") + target;
        }
    }
    QVERIFY2(files > 0, qPrintable(room + " has no sources"));
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral(", "))));
}

QTEST_GUILESS_MAIN(tst_Layering)
#include "tst_layering.moc"
