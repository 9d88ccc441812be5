// SPDX-License-Identifier: Apache-2.0
#include "web/vellwebengineurlrequestinterceptor.h"
#include "webtestkit.h"

#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>

class tst_VellWebEngineUrlRequestInterceptor : public QObject
{
    Q_OBJECT
public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }
private slots:
    void initTestCase();
    void cleanupTestCase();
    void tokenOnEveryRequest_data();
    void tokenOnEveryRequest();
private:
    PageServer server;
    VellWebEngineUrlRequestInterceptor *interceptor = nullptr;
};

void tst_VellWebEngineUrlRequestInterceptor::initTestCase()
{
    QVERIFY(server.startHttp());
    interceptor = new VellWebEngineUrlRequestInterceptor(nullptr);
    QWebEngineProfile::defaultProfile()->setUrlRequestInterceptor(interceptor);
}

void tst_VellWebEngineUrlRequestInterceptor::cleanupTestCase()
{
    QWebEngineProfile::defaultProfile()->setUrlRequestInterceptor(nullptr);
    delete interceptor;
}

void tst_VellWebEngineUrlRequestInterceptor::tokenOnEveryRequest_data()
{
    QTest::addColumn<QString>("token");
    QTest::addColumn<QByteArray>("header");   // empty: no header at all
    QTest::newRow("plain token") << "tok-123" << QByteArray("tok-123");
    QTest::newRow("non-ASCII token as UTF-8") << QString::fromUtf8("Zo\xc3\xab-\xe2\x9c\x93") << QByteArray("Zo\xc3\xab-\xe2\x9c\x93");
    QTest::newRow("empty token turns the header off") << QString() << QByteArray();
    // Would otherwise break every request of the page.
    QTest::newRow("token with a line break is not sent") << QString("abc\r\nX-Other: 1") << QByteArray();
    QTest::newRow("token with a NUL is not sent") << QString::fromLatin1("abc\0def", 7) << QByteArray();
}

void tst_VellWebEngineUrlRequestInterceptor::tokenOnEveryRequest()
{
    QFETCH(QString, token);
    QFETCH(QByteArray, header);
    const QString dir = QStringLiteral("/%1/").arg(QTest::currentDataTag()).replace(' ', '_');
    server.setContent(dir + "doc",
                      "<html><head><title>doc</title><script src=\"app.js\"></script></head>"
                      "<body><img src=\"img.png\"></body></html>",
                      "text/html");
    server.setContent(dir + "img.png", tinyPng(), "image/png");
    server.setContent(dir + "app.js",
                      "fetch('data.json').then(function (r) { return r.text(); })"
                      ".then(function (t) { document.title = 'fetched ' + t; });",
                      "application/javascript");
    server.setContent(dir + "data.json", "42", "application/json");

    // The token the window had for an earlier page must not linger.
    interceptor->setAccessToken("earlier-token");
    interceptor->setAccessToken(token);
    QWebEnginePage page(QWebEngineProfile::defaultProfile());
    QSignalSpy finished(&page, &QWebEnginePage::loadFinished);
    page.load(server.url(dir + "doc"));
    QVERIFY(finished.wait(10000));
    QVERIFY(finished.first().at(0).toBool());
    QTRY_COMPARE(page.title(), QString("fetched 42"));

    for (const QString name : {"doc", "img.png", "app.js", "data.json"}) {
        const QList<SeenRequest> seen = server.requestsFor(dir + name);
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen.first().headers.contains("x-access-token"), !header.isEmpty());
        QCOMPARE(seen.first().headers.value("x-access-token"), header);
    }
}

QTEST_MAIN(tst_VellWebEngineUrlRequestInterceptor)
#include "tst_vellwebengineurlrequestinterceptor.moc"
