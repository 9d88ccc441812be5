// SPDX-License-Identifier: Apache-2.0
#include "web/velljsbridge.h"
#include "web/vellwebenginepage.h"
#include "webtestkit.h"

#include <QElapsedTimer>
#include <QMetaMethod>
#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWebChannel>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace {

// The page loads the channel's client script itself, finds "jsbridge" and
// keeps what each call returned under a tag, in the order the answers came.
const char bridgePage[] =
    "<html><head><title>loading</title>\n"
    "<script src=\"qrc:///qtwebchannel/qwebchannel.js\"></script>\n"
    "<script>\n"
    "var bridge = null;\n"
    "var results = {};\n"
    "var order = [];\n"
    "var heard = [];\n"
    "function ask(tag) {\n"
    "    bridge.getCurrentUserInfo(function (info) { results[tag] = info; order.push(tag); });\n"
    "}\n"
    "new QWebChannel(qt.webChannelTransport, function (channel) {\n"
    "    bridge = channel.objects.jsbridge;\n"
    "    bridge.receiveMessage.connect(function (text) { heard.push(text); });\n"
    "    document.title = 'ready';\n"
    "});\n"
    "</script></head><body>bridge</body></html>\n";

// Plays the host's side of the user-information request: for each request it
// sends the given answers, "%KEY%" replaced by the request key, one every
// 150 ms, through the event loop as the host link would.
class FakeAnswers : public QObject
{
public:
    FakeAnswers(VellJsBridge *bridge, const QStringList &answers) : bridge(bridge), answers(answers)
    {
        connect(bridge, &VellJsBridge::currentUserInfo, this, &FakeAnswers::onRequest);
    }
    QStringList keys;
private:
    void onRequest(const QString &key)
    {
        keys.append(key);
        for (int i = 0; i < answers.size(); ++i) {
            const QByteArray json = QString(answers.at(i)).replace("%KEY%", key).toUtf8();
            QTimer::singleShot(50 + 150 * i, this, [this, json] {
                if (bridge)
                    bridge->onCurrentUserInfo(json);
            });
        }
    }
    QPointer<VellJsBridge> bridge;
    QStringList answers;
};

}

class tst_VellJsBridge : public QObject
{
    Q_OBJECT
public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void publishedInterface_data();
    void publishedInterface();
    void hiddenFromPages();
    void pageMessageHandlersArePublished();
    void pageMessagesToHost_data();
    void pageMessagesToHost();
    void hostTextOnlyForServedPages_data();
    void hostTextOnlyForServedPages();
    void userInfoAnswer_data();
    void userInfoAnswer();
    void requestKeys();
    void secondCallWhileWaiting();
    void callsInALoop();
    void lateAndRepeatedAnswers();
    void cancelWait_data();
    void cancelWait();
    void runAfterWaitWhenIdle();
    void runAfterWaitDuringWait();
    void deleteFromAfterWait();
private:
    QVariant result(const QString &tag);
    bool hasResult(const QString &tag);

    PageServer server;
    QScopedPointer<QWebEngineView> view;
    QPointer<VellJsBridge> bridge;
    QStringList toHost;   // category:subcommand:payload, and how it is delivered
    QScopedPointer<QWebChannel> channel;
    QScopedPointer<QWebEnginePage> page;
};

void tst_VellJsBridge::initTestCase()
{
    QVERIFY(server.startHttp());
    server.setContent("/bridge", bridgePage, "text/html");
    view.reset(new QWebEngineView());
    view->resize(320, 240);
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view.data()));
}

void tst_VellJsBridge::init()
{
    toHost.clear();
    bridge = new VellJsBridge(nullptr, [this](const PageMessage &message, const QString &payload) {
        toHost << QString(message.category) + ':' + message.subcommand + ':' + payload
                      + (message.delivery == PageMessage::Always ? " always" : " droppable");
    });
    channel.reset(new QWebChannel());
    channel->registerObject("jsbridge", bridge);
    auto *fresh = new VellWebEnginePage(QWebEngineProfile::defaultProfile(), nullptr);
    fresh->setWebChannel(channel.data());
    view->setPage(fresh);
    page.reset(fresh);   // the page of the previous test goes only now
    page->load(server.url("/bridge"));
    QTRY_COMPARE_WITH_TIMEOUT(page->title(), QString("ready"), 10000);
}

void tst_VellJsBridge::cleanup()
{
    delete bridge.data();
}

QVariant tst_VellJsBridge::result(const QString &tag)
{
    return evalJs(view->page(), QStringLiteral("results['%1']").arg(tag));
}

bool tst_VellJsBridge::hasResult(const QString &tag)
{
    return evalJs(view->page(), QStringLiteral("'%1' in results").arg(tag)).toBool();
}

void tst_VellJsBridge::publishedInterface_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("signature");
    QTest::addColumn<int>("methodType");
    QTest::addColumn<QByteArray>("returnType");
    QTest::newRow("0") << 0 << QByteArray("receiveLog(QString)") << int(QMetaMethod::Signal) << QByteArray("void");
    QTest::newRow("1") << 1 << QByteArray("receiveMessage(QString)") << int(QMetaMethod::Signal) << QByteArray("void");
    QTest::newRow("2") << 2 << QByteArray("getWebMessage(QString)") << int(QMetaMethod::Signal) << QByteArray("void");
    QTest::newRow("3") << 3 << QByteArray("currentUserInfo(QString)") << int(QMetaMethod::Signal) << QByteArray("void");
    QTest::newRow("4") << 4 << QByteArray("postLog(QString)") << int(QMetaMethod::Slot) << QByteArray("void");
    QTest::newRow("5") << 5 << QByteArray("postMessage(QString)") << int(QMetaMethod::Slot) << QByteArray("bool");
    QTest::newRow("6") << 6 << QByteArray("getCurrentUserInfo()") << int(QMetaMethod::Slot) << QByteArray("QString");
}

void tst_VellJsBridge::publishedInterface()
{
    QFETCH(int, index);
    QFETCH(QByteArray, signature);
    QFETCH(int, methodType);
    QFETCH(QByteArray, returnType);
    const QMetaObject &meta = VellJsBridge::staticMetaObject;
    QCOMPARE(meta.methodCount() - meta.methodOffset(), 7);
    const QMetaMethod method = meta.method(meta.methodOffset() + index);
    QCOMPARE(method.methodSignature(), signature);
    QCOMPARE(int(method.methodType()), methodType);
    QCOMPARE(QByteArray(method.typeName()), returnType);
    QCOMPARE(method.access(), QMetaMethod::Public);
}

void tst_VellJsBridge::hiddenFromPages()
{
    const QString kinds = evalJs(view->page(),
                                 "['postLog', 'postMessage', 'getCurrentUserInfo', 'onCurrentUserInfo',"
                                 " 'isWaiting', 'cancelWait', 'runAfterWait', 'deliverToPage']"
                                 ".map(function (n) { return typeof bridge[n]; }).join(',')")
                              .toString();
    QCOMPARE(kinds, QString("function,function,function,undefined,undefined,undefined,undefined,undefined"));
}

void tst_VellJsBridge::pageMessageHandlersArePublished()
{
    const QMetaObject &meta = VellJsBridge::staticMetaObject;
    for (int i = 0; i < PageMessage::count(); ++i) {
        const PageMessage &message = PageMessage::row(PageMessage::Name(i));
        bool published = false;
        for (int m = meta.methodOffset(); m < meta.methodCount(); ++m)
            published |= meta.method(m).methodType() == QMetaMethod::Slot && QLatin1String(meta.method(m).name()) == message.handler;
        QVERIFY2(published, message.handler.data());
    }
}

void tst_VellJsBridge::pageMessagesToHost_data()
{
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QStringList>("sent");
    QTest::newRow("log line") << QByteArray("postLog") << "h\u00e9llo" << QStringList{"feedback:receiveLog:h\u00e9llo droppable"};
    QTest::newRow("empty log line") << QByteArray("postLog") << "" << QStringList();
    QTest::newRow("channel") << QByteArray("postMessage") << R"({"action":"go_to_channel_info","data":"c-17"})"
                             << QStringList{"feedback:gotoChannel:c-17 droppable"};
    QTest::newRow("empty data") << QByteArray("postMessage") << R"({"action":"go_to_channel_info","data":""})" << QStringList();
    QTest::newRow("number data") << QByteArray("postMessage") << R"({"action":"go_to_channel_info","data":17})" << QStringList();
    QTest::newRow("other case") << QByteArray("postMessage") << R"({"action":"Go_To_Channel_Info","data":"c-17"})" << QStringList();
    QTest::newRow("unknown action") << QByteArray("postMessage") << R"({"action":"open","data":"c-17"})" << QStringList();
    QTest::newRow("a method's own name as action") << QByteArray("postMessage") << R"({"action":"postLog","data":"x"})" << QStringList();
    QTest::newRow("not JSON") << QByteArray("postMessage") << "go_to_channel_info" << QStringList();
    QTest::newRow("array") << QByteArray("postMessage") << R"(["go_to_channel_info","c-17"])" << QStringList();
}

void tst_VellJsBridge::pageMessagesToHost()
{
    QFETCH(QByteArray, method);
    QFETCH(QString, argument);
    QFETCH(QStringList, sent);
    QVERIFY(QMetaObject::invokeMethod(bridge.data(), method.constData(), Q_ARG(QString, argument)));
    QCOMPARE(toHost, sent);
}

void tst_VellJsBridge::hostTextOnlyForServedPages_data()
{
    QTest::addColumn<QString>("origins");   // %1: the server's port; the page is on 127.0.0.1
    QTest::addColumn<bool>("heard");
    QTest::newRow("no list: every page") << "" << true;
    QTest::newRow("listed") << "https://a.test, http://127.0.0.1:%1" << true;
    QTest::newRow("other name of the same server") << "http://localhost:%1" << false;
    QTest::newRow("other port") << "http://127.0.0.1:1" << false;
}

void tst_VellJsBridge::hostTextOnlyForServedPages()
{
    QFETCH(QString, origins);
    QFETCH(bool, heard);
    QStringList list;
    for (const QString &o : origins.split(',', Qt::SkipEmptyParts))
        list << o.trimmed().arg(server.url("/").port());
    bridge->setAllowedOrigins(list);
    bridge->setPage(page.data());
    QSignalSpy sent(bridge.data(), &VellJsBridge::receiveMessage);
    bridge->deliverToPage(QString::fromUtf8("{\"theme\":\"dark\",\"n\":\"\u00fc\"}"));
    QCOMPARE(sent.size(), heard ? 1 : 0);
    if (heard)
        QTRY_COMPARE(evalJs(view->page(), "heard.join('|')").toString(), QString::fromUtf8("{\"theme\":\"dark\",\"n\":\"\u00fc\"}"));
    else
        QCOMPARE(evalJs(view->page(), "heard.length").toInt(), 0);
}

void tst_VellJsBridge::userInfoAnswer_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QString>("expected");
    const QString bob = R"({"key":"%KEY%","info":"bob"})";
    QTest::newRow("string info") << QStringList{R"({"key":"%KEY%","info":"alice"})"} << "alice";
    QTest::newRow("JSON text handed over unchanged")
        << QStringList{R"({"key":"%KEY%","info":"{\"name\":\"Zo\u00eb\"}"})"} << QString::fromUtf8("{\"name\":\"Zo\xc3\xab\"}");
    QTest::newRow("info is an object") << QStringList{R"({"key":"%KEY%","info":{"name":"alice"}})"} << "";
    QTest::newRow("info is a number") << QStringList{R"({"key":"%KEY%","info":7})"} << "";
    QTest::newRow("no info") << QStringList{R"({"key":"%KEY%"})"} << "";
    // Dropped answers must leave the wait running for the right one.
    QTest::newRow("other key, then right")
        << QStringList{R"({"key":"0123456789abcdef0123456789abcdef","info":"mallory"})", bob} << "bob";
    QTest::newRow("braced key, then right") << QStringList{R"({"key":"{%KEY%}","info":"mallory"})", bob} << "bob";
    QTest::newRow("key not a string, then right") << QStringList{R"({"key":7,"info":"mallory"})", bob} << "bob";
    QTest::newRow("not JSON, then right") << QStringList{"%KEY% mallory", bob} << "bob";
    QTest::newRow("array, then right") << QStringList{R"(["%KEY%","mallory"])", bob} << "bob";
    QTest::newRow("never answered") << QStringList() << "";
}

void tst_VellJsBridge::userInfoAnswer()
{
    QFETCH(QStringList, answers);
    QFETCH(QString, expected);
    FakeAnswers host(bridge, answers);
    QElapsedTimer clock;
    clock.start();
    view->page()->runJavaScript("ask('a')");
    QTRY_VERIFY_WITH_TIMEOUT(hasResult("a"), 10000);
    QCOMPARE(result("a").toString(), expected);
    QCOMPARE(host.keys.size(), 1);
    QVERIFY(!bridge->isWaiting());
    if (answers.isEmpty())
        QVERIFY2(clock.elapsed() >= 3000, "without an answer the page waits the full 100 rounds of 30 ms");
}

void tst_VellJsBridge::requestKeys()
{
    FakeAnswers host(bridge, {R"({"key":"%KEY%","info":"k"})"});
    view->page()->runJavaScript("ask('a')");
    QTRY_VERIFY(hasResult("a"));
    view->page()->runJavaScript("ask('b')");
    QTRY_VERIFY(hasResult("b"));
    QCOMPARE(host.keys.size(), 2);
    const QRegularExpression form("^[0-9a-f]{32}$");
    QVERIFY2(form.match(host.keys.at(0)).hasMatch(), qPrintable(host.keys.at(0)));
    QVERIFY2(form.match(host.keys.at(1)).hasMatch(), qPrintable(host.keys.at(1)));
    QVERIFY(host.keys.at(0) != host.keys.at(1));
    // The host is asked with the same key, and never misses the question.
    QCOMPARE(toHost, QStringList({"iq:currentuserinfo:" + host.keys.at(0) + " always",
                                  "iq:currentuserinfo:" + host.keys.at(1) + " always"}));
}

void tst_VellJsBridge::secondCallWhileWaiting()
{
    // The engine hands a page's next call over only after the current one has
    // returned, so a call arriving inside the wait comes from our own side of
    // the event loop; it must not disturb the request in flight.
    FakeAnswers host(bridge, {R"({"key":"%KEY%","info":"carol"})"});
    QString nested = "not called";
    bool stillWaiting = false;
    connect(bridge.data(), &VellJsBridge::currentUserInfo, this, [&] {
        QTimer::singleShot(20, bridge.data(), [&] {
            nested = bridge->getCurrentUserInfo();
            stillWaiting = bridge->isWaiting();
        });
    });
    view->page()->runJavaScript("ask('first')");
    QTRY_VERIFY(hasResult("first"));
    QCOMPARE(nested, QString(""));
    QVERIFY(stillWaiting);
    QCOMPARE(result("first").toString(), QString("carol"));
    QCOMPARE(host.keys.size(), 1);
}

void tst_VellJsBridge::callsInALoop()
{
    FakeAnswers host(bridge, {R"({"key":"%KEY%","info":"dave"})"});
    QSignalSpy logs(bridge.data(), &VellJsBridge::receiveLog);
    QSignalSpy messages(bridge.data(), &VellJsBridge::getWebMessage);
    view->page()->runJavaScript(R"(
        var accepted = 0;
        for (var i = 0; i < 200; ++i) {
            bridge.postLog(i % 2 ? 'log ' + i : '');
            bridge.postMessage(i % 4 ? '' : '{"action":"a","data":"' + i + '"}',
                               function (ok) { if (ok === true) ++accepted; });
        }
        for (var j = 0; j < 10; ++j)
            ask('user' + j);
    )");
    QTRY_COMPARE_WITH_TIMEOUT(evalJs(view->page(), "order.length").toInt(), 10, 20000);
    QTRY_COMPARE(evalJs(view->page(), "accepted").toInt(), 200);
    QCOMPARE(logs.size(), 100);
    QCOMPARE(logs.first().at(0).toString(), QString("log 1"));
    QCOMPARE(logs.last().at(0).toString(), QString("log 199"));
    QCOMPARE(messages.size(), 50);
    QCOMPARE(toHost.size(), 100 + 10);   // no row has the action "a"
    QCOMPARE(messages.last().at(0).toString(), QString(R"({"action":"a","data":"196"})"));
    QCOMPARE(result("user0").toString(), QString("dave"));
    QCOMPARE(result("user9").toString(), QString("dave"));
    QCOMPARE(host.keys.size(), 10);
    QVERIFY(!bridge->isWaiting());
}

void tst_VellJsBridge::lateAndRepeatedAnswers()
{
    // The host sends the same answer twice in one go.
    QStringList keys;
    connect(bridge.data(), &VellJsBridge::currentUserInfo, this, [this, &keys](const QString &key) {
        keys.append(key);
        const QByteArray json = QStringLiteral(R"({"key":"%1","info":"erin"})").arg(key).toUtf8();
        QPointer<VellJsBridge> target = bridge;
        QTimer::singleShot(50, this, [target, json] {
            target->onCurrentUserInfo(json);
            target->onCurrentUserInfo(json);
        });
    });
    view->page()->runJavaScript("ask('a')");
    QTRY_VERIFY(hasResult("a"));
    QCOMPARE(result("a").toString(), QString("erin"));
    disconnect(bridge.data(), &VellJsBridge::currentUserInfo, this, nullptr);

    // An answer for a request that no longer waits changes nothing...
    bridge->onCurrentUserInfo(QStringLiteral(R"({"key":"%1","info":"late"})").arg(keys.first()).toUtf8());
    QVERIFY(!bridge->isWaiting());

    // ...and the next request still waits for its own answer.
    FakeAnswers host(bridge, {R"({"key":"%KEY%","info":"frank"})"});
    view->page()->runJavaScript("ask('b')");
    QTRY_VERIFY(hasResult("b"));
    QCOMPARE(result("b").toString(), QString("frank"));
}

void tst_VellJsBridge::cancelWait_data()
{
    QTest::addColumn<bool>("duringWait");
    QTest::addColumn<QString>("expected");
    QTest::newRow("cancel during the wait") << true << "";
    QTest::newRow("cancel while idle leaves the next wait alone") << false << "gina";
}

void tst_VellJsBridge::cancelWait()
{
    QFETCH(bool, duringWait);
    QFETCH(QString, expected);
    // The answer comes at 350 ms; a cancel at 50 ms must win over it.
    FakeAnswers host(bridge, {"no answer yet", "still none", R"({"key":"%KEY%","info":"gina"})"});
    bool waitedAtCancel = false;
    if (duringWait) {
        connect(bridge.data(), &VellJsBridge::currentUserInfo, this, [this, &waitedAtCancel] {
            QTimer::singleShot(50, bridge.data(), [this, &waitedAtCancel] {
                waitedAtCancel = bridge->isWaiting();
                bridge->cancelWait();
            });
        });
    } else {
        bridge->cancelWait();
    }
    view->page()->runJavaScript("ask('a')");
    QTRY_VERIFY(hasResult("a"));
    QCOMPARE(result("a").toString(), expected);
    QCOMPARE(waitedAtCancel, duringWait);
    QVERIFY(!bridge->isWaiting());
}

void tst_VellJsBridge::runAfterWaitWhenIdle()
{
    int calls = 0;
    bridge->runAfterWait([&calls] { ++calls; });
    // Posted, not called on the spot.
    QCOMPARE(calls, 0);
    QTRY_COMPARE(calls, 1);
}

void tst_VellJsBridge::runAfterWaitDuringWait()
{
    QList<bool> waitingWhenRun;
    bool ranBeforeAnswer = false;
    FakeAnswers host(bridge, {"nothing yet", R"({"key":"%KEY%","info":"hank"})"});
    connect(bridge.data(), &VellJsBridge::currentUserInfo, this, [&] {
        QTimer::singleShot(20, bridge.data(), [&] {
            bridge->runAfterWait([&] { waitingWhenRun.append(bridge->isWaiting()); });
        });
        // Just before the answer at 200 ms.
        QTimer::singleShot(180, bridge.data(), [&] { ranBeforeAnswer = !waitingWhenRun.isEmpty(); });
    });
    view->page()->runJavaScript("ask('a')");
    QTRY_COMPARE(waitingWhenRun.size(), 1);
    QCOMPARE(waitingWhenRun.first(), false);
    QVERIFY(!ranBeforeAnswer);
    QTRY_VERIFY(hasResult("a"));
    QCOMPARE(result("a").toString(), QString("hank"));
}

void tst_VellJsBridge::deleteFromAfterWait()
{
    // What the window does when the host link ends while a page waits.
    connect(bridge.data(), &VellJsBridge::currentUserInfo, this, [this] {
        QTimer::singleShot(50, this, [this] {
            bridge->cancelWait();
            VellJsBridge *doomed = bridge.data();
            bridge->runAfterWait([doomed] { delete doomed; });
        });
    });
    view->page()->runJavaScript("ask('a')");
    QTRY_VERIFY(bridge.isNull());
    QTRY_VERIFY(hasResult("a"));
    QCOMPARE(result("a").toString(), QString(""));
    QCOMPARE(evalJs(view->page(), "document.title").toString(), QString("ready"));
}

QTEST_MAIN(tst_VellJsBridge)
#include "tst_velljsbridge.moc"
