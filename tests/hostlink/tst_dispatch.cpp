// SPDX-License-Identifier: Apache-2.0
#include "config/vellchatwbconfigure.h"
#include "hostlink/hostcommands.h"
#include "hostlink/transport.h"
#include "tests/support/fakehost.h"

#include <QtTest>

namespace {

// Every call the host's messages made, as "name(argument)". A configuration
// change notes the title the store held by then.
class Recorder : public HostCommands
{
public:
    QStringList calls;
    void showUrl(const QString &url) override { calls << "showUrl(" + url + ")"; }
    void active() override { calls << "active()"; }
    void showInfo(const QString &text) override { calls << "showInfo(" + text + ")"; }
    void updateOpenOutside() override { calls << "updateOpenOutside()"; }
    void updateCheckChannel() override { calls << "updateCheckChannel()"; }
    void updateStoreToVell() override { calls << "updateStoreToVell()"; }
    void updateShareToFriend() override { calls << "updateShareToFriend()"; }
    void configChanged() override { calls << "configChanged(" + VellChatWBConfigure::Title() + ")"; }
    void currentUserInfo(const QByteArray &json) override { calls << "currentUserInfo(" + json + ")"; }
    void webfileList(const QByteArray &json) override { calls << "webfileList(" + json + ")"; }
    void webfileDownloadOffset(const QByteArray &json) override { calls << "webfileDownloadOffset(" + json + ")"; }
    void startDownload(const QByteArray &json) override { calls << "startDownload(" + json + ")"; }
    void restartDownload(const QByteArray &json) override { calls << "restartDownload(" + json + ")"; }
    void removeHistory(const QByteArray &json) override { calls << "removeHistory(" + json + ")"; }
    void removeAllHistory(const QByteArray &json) override { calls << "removeAllHistory(" + json + ")"; }
    void permissionAnswer(const QByteArray &json) override { calls << "permissionAnswer(" + json + ")"; }
    void linkEnded() override { calls << "linkEnded()"; }
};

}

// Messages go through parseCmd exactly as the read pass hands them over;
// without a receiver only the store hears them.
class tst_Dispatch : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        VellChatWBConfigure::init();
        transport::shareInstance()->setReceiver(nullptr);
        recorder.calls.clear();
    }
    void showFlags_data();
    void showFlags();
    void configMessages_data();
    void configMessages();
    void receiverCalls_data();
    void receiverCalls();
    void hangUpEndsTheLink();   // last: the process is told to exit after it
private:
    Recorder recorder;
};

void tst_Dispatch::showFlags_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("openOutside");
    QTest::addColumn<bool>("channel");
    QTest::addColumn<bool>("collect");
    QTest::addColumn<bool>("share");

    // defaults: open outside and channel hidden, collect and share shown
    QTest::newRow("true") << "event:updateOpenOutside:dHJ1ZQ==" << true << false << true << true;
    QTest::newRow("True, capital T") << "event:updateOpenOutside:VHJ1ZQ==" << true << false << true << true;
    QTest::newRow("digit 1 is not true") << "event:updateOpenOutside:MQ==" << false << false << true << true;
    QTest::newRow("TRUE with blanks") << "event:updateShareToFriend:ICBUUlVFIA==" << false << false << true << true;
    QTest::newRow("yes hides") << "event:updateShareToFriend:eWVz" << false << false << true << false;
    QTest::newRow("no payload field hides") << "event:updateStoreToVell" << false << false << false << true;
    QTest::newRow("channel on") << "event:updateCheckChannel:dHJ1ZQ==" << false << true << true << true;
    QTest::newRow("subcommand case matters") << "event:UpdateCheckChannel:dHJ1ZQ==" << false << false << true << true;
    QTest::newRow("category case matters") << "EVENT:updateCheckChannel:dHJ1ZQ==" << false << false << true << true;
    QTest::newRow("feedback from the host does nothing") << "feedback:updateCheckChannel:dHJ1ZQ==" << false << false << true << true;
}

void tst_Dispatch::showFlags()
{
    QFETCH(QString, message);
    transport::shareInstance()->parseCmd(message);
    QTEST(VellChatWBConfigure::TitleOpenOutsideShow(), "openOutside");
    QTEST(VellChatWBConfigure::TitleCheckChannelShow(), "channel");
    QTEST(VellChatWBConfigure::TitleStoreToVellShow(), "collect");
    QTEST(VellChatWBConfigure::TitleShareToFriendShow(), "share");
}

void tst_Dispatch::configMessages_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("title");

    QTest::newRow("plain") << "config:title:SGVsbG8sIHdvcmxk" << "Hello, world";
    QTest::newRow("non-ASCII UTF-8 arrives intact") << "config:title:aMOpbGxvIHfDtnJsZA==" << "h\u00e9llo w\u00f6rld";
    QTest::newRow("no value field") << "config:title" << "";
    QTest::newRow("empty value keeps the title") << "config:title:" << "";
    QTest::newRow("lenient Base64 skips stray characters") << "config:title:Q!Q=*=" << "A";
    QTest::newRow("category case matters") << "Config:title:QQ==" << "";
    QTest::newRow("key case matters") << "config:Title:QQ==" << "";
    QTest::newRow("one field") << "config" << "";
    QTest::newRow("unknown category") << "settings:title:QQ==" << "";
}

void tst_Dispatch::configMessages()
{
    QFETCH(QString, message);
    transport::shareInstance()->parseCmd(message);
    QTEST(VellChatWBConfigure::Title(), "title");
}

void tst_Dispatch::receiverCalls_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("calls");

    QTest::newRow("page") << "event:showUrl:aHR0cDovL3gv" << QStringList{"showUrl(http://x/)"};
    QTest::newRow("active") << "event:active" << QStringList{"active()"};
    QTest::newRow("active ignores a payload") << "event:active:aGk=" << QStringList{"active()"};
    QTest::newRow("box message") << "event:showBoxMessage:aGk=" << QStringList{"showInfo(hi)"};
    QTest::newRow("empty box message") << "event:showBoxMessage:" << QStringList();
    QTest::newRow("open outside shown") << "event:updateOpenOutside:dHJ1ZQ==" << QStringList{"updateOpenOutside()"};
    QTest::newRow("channel shown") << "event:updateCheckChannel:dHJ1ZQ==" << QStringList{"updateCheckChannel()"};
    QTest::newRow("collect hidden") << "event:updateStoreToVell:bm8=" << QStringList{"updateStoreToVell()"};
    QTest::newRow("share hidden") << "event:updateShareToFriend" << QStringList{"updateShareToFriend()"};
    QTest::newRow("config told once stored") << "config:title:QQ==" << QStringList{"configChanged(A)"};
    QTest::newRow("unknown config key still told") << "config:nothing:QQ==" << QStringList{"configChanged()"};
    QTest::newRow("config without value field") << "config:title" << QStringList();
    QTest::newRow("user info answer") << "iq:currentuserinfoRes:e30=" << QStringList{"currentUserInfo({})"};
    QTest::newRow("empty user info answer") << "iq:currentuserinfoRes:" << QStringList();
    QTest::newRow("user info request from the host") << "iq:currentuserinfo:e30=" << QStringList();
    QTest::newRow("permission answer") << "iq:permissionRes:e30=" << QStringList{"permissionAnswer({})"};
    QTest::newRow("empty permission answer") << "iq:permissionRes:" << QStringList();
    QTest::newRow("list answer") << "webfile:getFileListRes:e30=" << QStringList{"webfileList({})"};
    QTest::newRow("progress answer") << "webfile:getDownloadOffsetRes:e30=" << QStringList{"webfileDownloadOffset({})"};
    QTest::newRow("download answer") << "webfile:startDownloadRes:e30=" << QStringList{"startDownload({})"};
    QTest::newRow("restart answer") << "webfile:restartDownloadRes:e30=" << QStringList{"restartDownload({})"};
    QTest::newRow("remove answer") << "webfile:removeHistoryRes:e30=" << QStringList{"removeHistory({})"};
    QTest::newRow("remove-all answer") << "webfile:removeAllHistoryRes:e30=" << QStringList{"removeAllHistory({})"};
    QTest::newRow("webfile without payload") << "webfile:getFileListRes" << QStringList();
    QTest::newRow("request keyword from the host") << "webfile:getFileList:e30=" << QStringList();
    QTest::newRow("feedback from the host") << "feedback:refresh:" << QStringList();
    QTest::newRow("answer case matters") << "webfile:GetFileListRes:e30=" << QStringList();
}

void tst_Dispatch::receiverCalls()
{
    QFETCH(QString, message);
    transport::shareInstance()->setReceiver(&recorder);
    transport::shareInstance()->parseCmd(message);
    QTEST(recorder.calls, "calls");
}

void tst_Dispatch::hangUpEndsTheLink()
{
    FakeHost host;
    transport::shareInstance()->setReceiver(&recorder);
    transport::shareInstance()->connectToVell(host.serverName());
    QVERIFY(host.waitForClient());
    host.sendRaw("event:active:;");
    QTRY_COMPARE(recorder.calls, QStringList{"active()"});
    host.hangUp();
    // The socket may report the hang-up twice (an error, then the end); the
    // window only has to go, and nothing else may happen to it.
    QTRY_VERIFY(recorder.calls.contains("linkEnded()"));
    recorder.calls.removeDuplicates();
    QCOMPARE(recorder.calls, (QStringList{"active()", "linkEnded()"}));
}

QTEST_MAIN(tst_Dispatch)
#include "tst_dispatch.moc"
