#include "config/vellchatwbconfigure.h"
#include "hostlink/transport.h"

#include <QtTest>

// Messages go through parseCmd exactly as the read pass hands them over.
class tst_Dispatch : public QObject
{
    Q_OBJECT
private slots:
    void init() { VellChatWBConfigure::init(); }
    void showFlags_data();
    void showFlags();
    void configMessages_data();
    void configMessages();
    void windowMessagesWithoutWindow_data();
    void windowMessagesWithoutWindow();
private:
    static void cmd(const char *message) { transport::shareInstance()->parseCmd(QString::fromLatin1(message)); }
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

void tst_Dispatch::windowMessagesWithoutWindow_data()
{
    QTest::addColumn<QString>("message");
    QTest::newRow("active") << "event:active";
    QTest::newRow("box message") << "event:showBoxMessage:aGk=";
    QTest::newRow("user info answer") << "iq:currentuserinfoRes:e30=";
    QTest::newRow("list answer") << "webfile:getFileListRes:e30=";
    QTest::newRow("progress answer") << "webfile:getDownloadOffsetRes:e30=";
    QTest::newRow("download answer") << "webfile:startDownloadRes:e30=";
    QTest::newRow("restart answer") << "webfile:restartDownloadRes:e30=";
    QTest::newRow("remove answer") << "webfile:removeHistoryRes:e30=";
    QTest::newRow("remove-all answer") << "webfile:removeAllHistoryRes:e30=";
    QTest::newRow("webfile without payload") << "webfile:getFileListRes";
}

// Before the first "showUrl" every window message finds nothing to act on.
void tst_Dispatch::windowMessagesWithoutWindow()
{
    QFETCH(QString, message);
    transport::shareInstance()->parseCmd(message);
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

QTEST_MAIN(tst_Dispatch)
#include "tst_dispatch.moc"
