// SPDX-License-Identifier: Apache-2.0
#include "web/vellwebenginepage.h"
#include "webtestkit.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineProfile>

class tst_VellWebEnginePage : public QObject
{
    Q_OBJECT
public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }
private slots:
    void initTestCase();
    void selfSignedCertificate_data();
    void selfSignedCertificate();
    void popupRefusalsReachTheOpener();
private:
    QTemporaryDir certificateDir;
    PageServer server;
};

void tst_VellWebEnginePage::initTestCase()
{
    QVERIFY(certificateDir.isValid());
    QString certPath;
    QString keyPath;
    QVERIFY(makeSelfSignedCertificate(certificateDir.path(), &certPath, &keyPath));
    QVERIFY(server.startHttps(certPath, keyPath));
    server.setContent("/secure", "<html><head><title>secure</title></head><body>ok</body></html>", "text/html");
}

void tst_VellWebEnginePage::selfSignedCertificate_data()
{
    QTest::addColumn<bool>("ours");
    QTest::addColumn<bool>("loads");
    QTest::addColumn<int>("requests");
    // The engine's own page first: once a certificate has been let through,
    // the engine remembers that for the rest of the run.
    QTest::newRow("engine default refuses") << false << false << 0;
    QTest::newRow("window page overrides") << true << true << 1;
}

void tst_VellWebEnginePage::selfSignedCertificate()
{
    QFETCH(bool, ours);
    QFETCH(bool, loads);
    QFETCH(int, requests);
    QScopedPointer<QWebEnginePage> page(ours ? new VellWebEnginePage(QWebEngineProfile::defaultProfile(), nullptr)
                                             : new QWebEnginePage(QWebEngineProfile::defaultProfile(), nullptr));
    QSignalSpy finished(page.data(), &QWebEnginePage::loadFinished);
    page->load(server.url("/secure"));
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.first().at(0).toBool(), loads);
    QCOMPARE(server.requestsFor("/secure").size(), requests);
    if (loads)
        QCOMPARE(page->title(), QString("secure"));
}

// A popup of a strict page refuses as its opener does, and the host hears it
// through the opener, as it hears the opener's own refusals.
void tst_VellWebEnginePage::popupRefusalsReachTheOpener()
{
    QWebEngineProfile profile;   // its own memory of certificates let through
    VellWebEnginePage opener(&profile, nullptr);
    opener.setStrictCertificates(true);
    QScopedPointer<VellWebEnginePage> popup(opener.popupPage(nullptr));
    QSignalSpy refused(&opener, &VellWebEnginePage::navigationRefused);
    QSignalSpy finished(popup.data(), &QWebEnginePage::loadFinished);
    popup->load(server.url("/secure"));
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.first().at(0).toBool(), false);
    QCOMPARE(refused.count(), 1);
    QVERIFY2(refused.first().at(0).toString().startsWith("refused " + server.url("/secure").toString() + ": "),
             qPrintable(refused.first().at(0).toString()));
}

QTEST_MAIN(tst_VellWebEnginePage)
#include "tst_vellwebenginepage.moc"
