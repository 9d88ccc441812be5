// SPDX-License-Identifier: Apache-2.0
#include "config/vellchatwbconfigure.h"
#include "hostlink/transport.h"
#include "tests/hostlib/linkrecorder.h"

#include <QtTest>
#include <functional>

// The read pass is observed through the store: "config:title" frames set the
// title, so what got dispatched, and in which order, shows in Title().
class tst_Transport : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void framing_data();
    void framing();
    void splitAtEveryByte_data();
    void splitAtEveryByte();
    void nulCutsTheRead();
    void outgoingBytes_data();
    void outgoingBytes();
private:
    static void feed(const QByteArray &bytes) { transport::shareInstance()->processIncoming(bytes); }
    QByteArray written;
};

using Op = std::function<void(transport *)>;
Q_DECLARE_METATYPE(Op)

void tst_Transport::init()
{
    VellChatWBConfigure::init();
    transport::shareInstance()->clearPending();
    written.clear();
    transport::shareInstance()->setWriteSink([this](const QByteArray &b) { written += b; });
}

void tst_Transport::cleanup()
{
    transport::shareInstance()->setWriteSink(nullptr);
}

void tst_Transport::framing_data()
{
    QTest::addColumn<QByteArrayList>("reads");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("refreshText");
    QTest::addColumn<QByteArray>("tail");

    QTest::newRow("two messages in one read")
        << QByteArrayList{"config:title:QQ==;config:refreshText:Qg==;"} << "A" << "B" << QByteArray();
    QTest::newRow("later message wins, order kept")
        << QByteArrayList{"config:title:QQ==;config:title:Qg==;"} << "B" << "Refresh" << QByteArray();
    QTest::newRow("semicolon alone")
        << QByteArrayList{";"} << "" << "Refresh" << QByteArray();
    QTest::newRow("tail without semicolon waits")
        << QByteArrayList{"config:title:QQ=="} << "" << "Refresh" << QByteArray("config:title:QQ==");
    QTest::newRow("tail completes on a later read")
        << QByteArrayList{"config:title:QQ==;config:refresh", "Text:Qg", "==;"} << "A" << "B" << QByteArray();
    QTest::newRow("white space around a message")
        << QByteArrayList{" \r\n\tconfig:title:QQ==\n ;"} << "A" << "Refresh" << QByteArray();
    QTest::newRow("fields after the third ignored")
        << QByteArrayList{"config:title:QQ==:Qg==;"} << "A" << "Refresh" << QByteArray();
    QTest::newRow("empty pieces between messages")
        << QByteArrayList{";;config:title:QQ==;;;"} << "A" << "Refresh" << QByteArray();
    QTest::newRow("characters outside Base64 skipped, last message and not")
        << QByteArrayList{"config:title:Q!Q=\n=;config:refreshText: Q-g*=;"} << "A" << "B" << QByteArray();
    QTest::newRow("garbage is skipped, neighbours still apply")
        << QByteArrayList{"\xff\xfe::;x;config:title:QQ==;\x01\x02"} << "A" << "Refresh" << QByteArray("\x01\x02");
}

void tst_Transport::framing()
{
    QFETCH(QByteArrayList, reads);
    for (const QByteArray &r : reads) {
        // The read is decoded over where that pays, never over the caller's bytes.
        const QByteArray copy(r.constData(), r.size());
        feed(r);
        QCOMPARE(r, copy);
    }
    QTEST(VellChatWBConfigure::Title(), "title");
    QTEST(VellChatWBConfigure::TitleRefreshText(), "refreshText");
    QTEST(transport::shareInstance()->pendingTail(), "tail");
}

void tst_Transport::splitAtEveryByte_data()
{
    QTest::addColumn<int>("at");
    const QByteArray msg = "config:title:SGVsbG8sIHdvcmxk;";
    for (int i = 1; i < msg.size(); ++i)
        QTest::newRow(qPrintable(QString::number(i))) << i;
}

void tst_Transport::splitAtEveryByte()
{
    QFETCH(int, at);
    const QByteArray msg = "config:title:SGVsbG8sIHdvcmxk;";
    feed(msg.left(at));
    QCOMPARE(VellChatWBConfigure::Title(), QString());
    feed(msg.mid(at));
    QCOMPARE(VellChatWBConfigure::Title(), QStringLiteral("Hello, world"));
    QCOMPARE(transport::shareInstance()->pendingTail(), QByteArray());
}

void tst_Transport::nulCutsTheRead()
{
    // Before the NUL: one whole message and the start of another; after it,
    // a complete message that is lost with the rest of the read.
    feed(QByteArray("config:title:QQ==;config:refreshText:Qg==\0;config:shareText:Qw==;", 66));
    QCOMPARE(VellChatWBConfigure::Title(), QStringLiteral("A"));
    QCOMPARE(VellChatWBConfigure::TitleRefreshText(), QStringLiteral("Refresh"));
    QCOMPARE(VellChatWBConfigure::TitleShareText(), QStringLiteral("Share"));
    QCOMPARE(transport::shareInstance()->pendingTail(), QByteArray("config:refreshText:Qg=="));
    // the unfinished message before the NUL completes with the next read
    feed(";");
    QCOMPARE(VellChatWBConfigure::TitleRefreshText(), QStringLiteral("B"));
}

void tst_Transport::outgoingBytes_data()
{
    QTest::addColumn<Op>("op");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("heard");   // what the host library makes of the bytes
    const QString k = QStringLiteral("0123456789abcdef0123456789abcdef");

    QTest::newRow("refresh") << Op([](transport *t) { t->refresh(); }) << QByteArray("feedback:refresh:;") << "refreshClicked()";
    QTest::newRow("collect") << Op([](transport *t) { t->storeToVell(); }) << QByteArray("feedback:storeToVell:;") << "collectClicked()";
    QTest::newRow("share") << Op([](transport *t) { t->shareArtile(); }) << QByteArray("feedback:share:;") << "shareClicked()";
    QTest::newRow("channel") << Op([](transport *t) { t->showChannel(); }) << QByteArray("feedback:channel:;") << "channelClicked()";
    QTest::newRow("open outside") << Op([](transport *t) { t->openOutside(); }) << QByteArray("feedback:openOutside:;") << "openOutsideClicked()";
    // With "reportNavigation" on, the buttons name the page and pages are reported.
    QTest::newRow("refresh on a page") << Op([](transport *t) { t->refresh(QStringLiteral("http://127.0.0.1:8080/b?q=%C3%BC")); })
                                       << QByteArray("feedback:refresh:aHR0cDovLzEyNy4wLjAuMTo4MDgwL2I/cT0lQzMlQkM=;")
                                       << QString::fromUtf8("refreshClicked(http://127.0.0.1:8080/b?q=ü)");
    // {"title":"Büro","url":"http://127.0.0.1:8080/b"}
    QTest::newRow("navigated") << Op([](transport *t) { t->navigated(QStringLiteral("http://127.0.0.1:8080/b"), QString::fromUtf8("Büro")); })
                               << QByteArray("feedback:navigated:eyJ0aXRsZSI6IkLDvHJvIiwidXJsIjoiaHR0cDovLzEyNy4wLjAuMTo4MDgwL2IifQ==;")
                               << QString::fromUtf8("navigated(http://127.0.0.1:8080/b, Büro)");
    // {"ok":false,"url":"http://127.0.0.1:9/"}
    QTest::newRow("load failed") << Op([](transport *t) { t->loadFinished(QStringLiteral("http://127.0.0.1:9/"), false); })
                                 << QByteArray("feedback:loadFinished:eyJvayI6ZmFsc2UsInVybCI6Imh0dHA6Ly8xMjcuMC4wLjE6OS8ifQ==;")
                                 << "loadFinished(http://127.0.0.1:9/, false)";
    QTest::newRow("position") << Op([](transport *t) { t->savePosition(QStringLiteral("100,80,900,700,0")); })
                              << QByteArray("feedback:savePosition:MTAwLDgwLDkwMCw3MDAsMA==;")
                              << "positionSaved(100,80,900,700,0, 100,80 900x700, false)";
    QTest::newRow("log line, non-ASCII") << Op([](transport *t) { t->onReceiveLog(QStringLiteral("h\u00e9llo w\u00f6rld")); })
                                         << QByteArray("feedback:receiveLog:aMOpbGxvIHfDtnJsZA==;")
                                         << QStringLiteral("logReceived(h\u00e9llo w\u00f6rld)");
    // A page's messages come as their row's words (web/pagemessage.h).
    QTest::newRow("go to channel") << Op([](transport *t) { t->pageMessage(QStringLiteral("feedback"), QStringLiteral("gotoChannel"), QStringLiteral("channel-42"), true); })
                                   << QByteArray("feedback:gotoChannel:Y2hhbm5lbC00Mg==;") << "gotoChannelRequested(channel-42)";
    QTest::newRow("user info") << Op([k](transport *t) { t->pageMessage(QStringLiteral("iq"), QStringLiteral("currentuserinfo"), k, false); })
                               << QByteArray("iq:currentuserinfo:MDEyMzQ1Njc4OWFiY2RlZjAxMjM0NTY3ODlhYmNkZWY=;")
                               << "currentUserInfoRequested(0123456789abcdef0123456789abcdef)";
    // {"feature":"camera,microphone","key":"k9","origin":"http://127.0.0.1:8080"}
    QTest::newRow("permission question")
        << Op([](transport *t) { t->askPermission(QStringLiteral("k9"), QStringLiteral("http://127.0.0.1:8080"), QStringLiteral("camera,microphone")); })
        << QByteArray("iq:permission:eyJmZWF0dXJlIjoiY2FtZXJhLG1pY3JvcGhvbmUiLCJrZXkiOiJrOSIsIm9yaWdpbiI6Imh0dHA6Ly8xMjcuMC4wLjE6ODA4MCJ9;")
        << "permissionRequested(k9, http://127.0.0.1:8080, camera|microphone)";
    QTest::newRow("file list") << Op([k](transport *t) { t->getWebfileList(k); })
                               << QByteArray("webfile:getFileList:MDEyMzQ1Njc4OWFiY2RlZjAxMjM0NTY3ODlhYmNkZWY=;")
                               << "fileListRequested(0123456789abcdef0123456789abcdef)";
    QTest::newRow("open folder") << Op([](transport *t) { t->openFileFoler(QStringLiteral("fk1")); })
                                 << QByteArray("webfile:openFileFolder:Zmsx;") << "openFileFolderRequested(fk1)";
    // {"key":"K","name":"report.pdf","url":"http://127.0.0.1:8080/report.pdf"}
    QTest::newRow("start download, members sorted")
        << Op([](transport *t) { t->downloadFile(QStringLiteral("K"), QStringLiteral("http://127.0.0.1:8080/report.pdf"), QStringLiteral("report.pdf")); })
        << QByteArray("webfile:startDownload:eyJrZXkiOiJLIiwibmFtZSI6InJlcG9ydC5wZGYiLCJ1cmwiOiJodHRwOi8vMTI3LjAuMC4xOjgwODAvcmVwb3J0LnBkZiJ9;")
        << "startDownloadRequested(K, http://127.0.0.1:8080/report.pdf, report.pdf)";
    // {"fileList":["b2","a1"],"key":"k9"}: the list keeps the caller's order
    QTest::newRow("progress request")
        << Op([](transport *t) { t->getWebfileDownloadOffset(QStringLiteral("k9"), {QStringLiteral("b2"), QStringLiteral("a1")}); })
        << QByteArray("webfile:getDownloadOffset:eyJmaWxlTGlzdCI6WyJiMiIsImExIl0sImtleSI6Ims5In0=;")
        << "downloadOffsetRequested(k9, b2|a1)";
    // {"fileKey":"f7","key":"k9"}
    QTest::newRow("restart") << Op([](transport *t) { t->redownloadFile(QStringLiteral("k9"), QStringLiteral("f7")); })
                             << QByteArray("webfile:restartDownload:eyJmaWxlS2V5IjoiZjciLCJrZXkiOiJrOSJ9;")
                             << "restartDownloadRequested(k9, f7)";
    QTest::newRow("remove one") << Op([](transport *t) { t->removeDownloadFile(QStringLiteral("k9"), QStringLiteral("f7")); })
                                << QByteArray("webfile:removeHistory:eyJmaWxlS2V5IjoiZjciLCJrZXkiOiJrOSJ9;")
                                << "removeHistoryRequested(k9, f7)";
    // {"key":"k9"}
    QTest::newRow("remove all") << Op([](transport *t) { t->removeAllDownloadFile(QStringLiteral("k9")); })
                                << QByteArray("webfile:removeAllHistory:eyJrZXkiOiJrOSJ9;") << "removeAllHistoryRequested(k9)";
}

void tst_Transport::outgoingBytes()
{
    QFETCH(Op, op);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, heard);
    op(transport::shareInstance());
    QCOMPARE(written, bytes);
    // The host library reads exactly this, and nothing else, from the bytes.
    ChannelWebBrowser::BrowserLink host;
    LinkRecorder recorder(&host);
    host.receive(written);
    QCOMPARE(recorder.heard(), QStringList{heard});
}

QTEST_MAIN(tst_Transport)
#include "tst_transport.moc"
