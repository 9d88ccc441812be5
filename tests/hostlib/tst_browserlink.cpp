// SPDX-License-Identifier: Apache-2.0
#include "config/configkeys.h"
#include "hostlib/browserlink.h"
#include "tests/hostlib/linkrecorder.h"

#include <QtTest>
#include <functional>

using namespace ChannelWebBrowser;

using Call = std::function<void(BrowserLink *)>;
Q_DECLARE_METATYPE(Call)

namespace {

// category:subcommand:Base64(payload); with Qt's own Base64, so the rows show
// the payload as text.
QByteArray wire(const char *head, const QByteArray &payload)
{
    return QByteArray(head) + ':' + payload.toBase64() + ';';
}

struct Sent
{
    const char *name;
    Call call;
    QByteArray frame;
};

DownloadRecord setupRecord()
{
    DownloadRecord r;
    r.key = QStringLiteral("034430106b1456491f537ede8ab300af");
    r.name = QStringLiteral("Setup.exe");
    r.createTime = 1526809226485;
    r.updateTime = 1526809226999;
    r.fileSize = 64948616;
    r.status = DownloadRecord::Downloading;
    r.downloadOffset = 1000;
    r.fileExists = false;
    return r;
}

// Every call a host makes, with the exact frame it must become.
const QList<Sent> &sentRows()
{
    static const QList<Sent> rows = {
        {"title", [](BrowserLink *l) { l->setTitle(QString::fromUtf8("Grüße")); }, "config:title:R3LDvMOfZQ==;"},
        {"refreshText", [](BrowserLink *l) { l->setRefreshText("Reload"); }, wire("config:refreshText", "Reload")},
        {"collectText", [](BrowserLink *l) { l->setCollectText("Keep"); }, wire("config:collectText", "Keep")},
        {"shareText", [](BrowserLink *l) { l->setShareText("Send"); }, wire("config:shareText", "Send")},
        {"channelText", [](BrowserLink *l) { l->setChannelText("Chan"); }, wire("config:channelText", "Chan")},
        {"openoutsideText", [](BrowserLink *l) { l->setOpenoutsideText("Out"); }, wire("config:openoutsideText", "Out")},
        {"webFileText", [](BrowserLink *l) { l->setWebFileText("Files"); }, wire("config:webFileText", "Files")},
        {"webFileEmptyText", [](BrowserLink *l) { l->setWebFileEmptyText("None"); }, wire("config:webFileEmptyText", "None")},
        {"webFileLoadingText", [](BrowserLink *l) { l->setWebFileLoadingText("Wait"); }, wire("config:webFileLoadingText", "Wait")},
        {"webFileSuccessText", [](BrowserLink *l) { l->setWebFileSuccessText("Done"); }, wire("config:webFileSuccessText", "Done")},
        {"webFileFailedText", [](BrowserLink *l) { l->setWebFileFailedText("Broke"); }, wire("config:webFileFailedText", "Broke")},
        {"webFileOpenInFolderText", [](BrowserLink *l) { l->setWebFileOpenInFolderText("Show"); }, wire("config:webFileOpenInFolderText", "Show")},
        {"webFileBackText", [](BrowserLink *l) { l->setWebFileBackText("Back"); }, wire("config:webFileBackText", "Back")},
        {"webFileRedownloadText", [](BrowserLink *l) { l->setWebFileRedownloadText("Again"); }, wire("config:webFileRedownloadText", "Again")},
        {"webFileMissedText", [](BrowserLink *l) { l->setWebFileMissedText("Gone"); }, wire("config:webFileMissedText", "Gone")},
        {"webFileRemoveAllText", [](BrowserLink *l) { l->setWebFileRemoveAllText("Wipe"); }, wire("config:webFileRemoveAllText", "Wipe")},
        {"webFileRemoveTipsText", [](BrowserLink *l) { l->setWebFileRemoveTipsText("Drop?"); }, wire("config:webFileRemoveTipsText", "Drop?")},
        {"webFileRemoveAllTipsText", [](BrowserLink *l) { l->setWebFileRemoveAllTipsText("All?"); }, wire("config:webFileRemoveAllTipsText", "All?")},
        {"infoBoxOk", [](BrowserLink *l) { l->setInfoBoxOk("Fine"); }, wire("config:infoBoxOk", "Fine")},
        {"infoBoxCancel", [](BrowserLink *l) { l->setInfoBoxCancel("No"); }, wire("config:infoBoxCancel", "No")},
        {"infoBoxDelete", [](BrowserLink *l) { l->setInfoBoxDelete("Del"); }, wire("config:infoBoxDelete", "Del")},
        {"infoBoxClean", [](BrowserLink *l) { l->setInfoBoxClean("Clean"); }, wire("config:infoBoxClean", "Clean")},
        {"titleHeight", [](BrowserLink *l) { l->setTitleHeight(36); }, "config:titleHeight:MzY=;"},
        {"titleLeft", [](BrowserLink *l) { l->setTitleLeft(4); }, wire("config:titleLeft", "4")},
        {"titleRight", [](BrowserLink *l) { l->setTitleRight(6); }, wire("config:titleRight", "6")},
        {"titleSkip", [](BrowserLink *l) { l->setTitleSkip(8); }, wire("config:titleSkip", "8")},
        {"miniWidth", [](BrowserLink *l) { l->setMiniWidth(640); }, wire("config:miniWidth", "640")},
        {"infoBoxSize", [](BrowserLink *l) { l->setInfoBoxSize(QSize(320, 140)); }, wire("config:infoBoxSize", "320,140")},
        {"infoBoxMargin", [](BrowserLink *l) { l->setInfoBoxMargin(QMargins(1, 2, 3, 4)); }, wire("config:infoBoxMargin", "1,2,3,4")},
        {"windowsRect, maximized", [](BrowserLink *l) { l->setWindowsRect(QRect(100, 50, 800, 600), true); },
         "config:windowsRect:MTAwLDUwLDgwMCw2MDAsMQ==;"},
        {"windowsRect, off screen to the left", [](BrowserLink *l) { l->setWindowsRect(QRect(-8, 0, 1024, 768)); },
         wire("config:windowsRect", "-8,0,1024,768,0")},
        {"windowsRect, a saved position as it came", [](BrowserLink *l) { l->setWindowsRect(QStringLiteral("5,6,700,500,1")); },
         wire("config:windowsRect", "5,6,700,500,1")},
        {"titleBackgroundColor, opaque by default", [](BrowserLink *l) { l->setTitleBackgroundColor(38, 110, 190); },
         wire("config:titleBackgroundColor", "38,110,190,255")},
        {"titleTextColor", [](BrowserLink *l) { l->setTitleTextColor(20, 20, 20); }, wire("config:titleTextColor", "20,20,20,255")},
        {"titleTextHoverColor", [](BrowserLink *l) { l->setTitleTextHoverColor(0, 90, 200, 128); }, wire("config:titleTextHoverColor", "0,90,200,128")},
        {"shadowColor, half transparent", [](BrowserLink *l) { l->setShadowColor(255, 0, 0, 128); }, wire("config:shadowColor", "255,0,0,128")},
        {"containerBackgroundColor", [](BrowserLink *l) { l->setContainerBackgroundColor(0xff0000); },
         wire("config:containerBackgroundColor", "16711680")},
        {"containerBackgroundColor, alpha byte dropped", [](BrowserLink *l) { l->setContainerBackgroundColor(0x80008000u); },
         wire("config:containerBackgroundColor", "32768")},
        // Picture bytes travel as they are: these are no UTF-8 text.
        {"Icon, file bytes", [](BrowserLink *l) { l->setIcon(QByteArray("\xff\xd8\xff\xe0", 4)); }, "config:Icon:/9j/4A==;"},
        {"titleLogoData", [](BrowserLink *l) { l->setTitleLogoData(QByteArray("\x89PNG\r\n", 6)); }, "config:titleLogoData:iVBORw0K;"},
        {"titleMinisizeIconData", [](BrowserLink *l) { l->setTitleMinisizeIconData("m"); }, wire("config:titleMinisizeIconData", "m")},
        {"titleMaxsizeIconData", [](BrowserLink *l) { l->setTitleMaxsizeIconData("x"); }, wire("config:titleMaxsizeIconData", "x")},
        {"titleRestoreIconData", [](BrowserLink *l) { l->setTitleRestoreIconData("r"); }, wire("config:titleRestoreIconData", "r")},
        {"titleCloseIconData", [](BrowserLink *l) { l->setTitleCloseIconData("c"); }, wire("config:titleCloseIconData", "c")},
        {"accessToken", [](BrowserLink *l) { l->setAccessToken("tok-1"); }, wire("config:accessToken", "tok-1")},
        {"accessToken, empty clears it", [](BrowserLink *l) { l->setAccessToken(QString()); }, "config:accessToken:;"},
        {"accessTokenHosts", [](BrowserLink *l) { l->setAccessTokenHosts({"127.0.0.1", "*.example.org"}); },
         wire("config:accessTokenHosts", "127.0.0.1,*.example.org")},
        {"accessTokenHosts, empty: every host", [](BrowserLink *l) { l->setAccessTokenHosts({}); }, "config:accessTokenHosts:;"},
        {"strictCertificates", [](BrowserLink *l) { l->setStrictCertificates(true); }, wire("config:strictCertificates", "1")},
        {"strictCertificates off", [](BrowserLink *l) { l->setStrictCertificates(false); }, wire("config:strictCertificates", "0")},
        {"bridgeOrigins", [](BrowserLink *l) { l->setBridgeOrigins({"https://example.org", "http://127.0.0.1:8080"}); },
         wire("config:bridgeOrigins", "https://example.org,http://127.0.0.1:8080")},
        {"permissionPolicy", [](BrowserLink *l) { l->setPermissionPolicy({"camera=ask", "screen=host"}); },
         wire("config:permissionPolicy", "camera=ask,screen=host")},
        {"infoBoxAllow", [](BrowserLink *l) { l->setInfoBoxAllow("Erlauben"); }, wire("config:infoBoxAllow", "Erlauben")},
        {"permissionScreenText", [](BrowserLink *l) { l->setPermissionScreenText("%1 shares"); }, wire("config:permissionScreenText", "%1 shares")},
        {"infoBoxBlock", [](BrowserLink *l) { l->setInfoBoxBlock("t0"); }, wire("config:infoBoxBlock", "t0")},
        {"permissionCameraText", [](BrowserLink *l) { l->setPermissionCameraText("t1"); }, wire("config:permissionCameraText", "t1")},
        {"permissionMicrophoneText", [](BrowserLink *l) { l->setPermissionMicrophoneText("t2"); }, wire("config:permissionMicrophoneText", "t2")},
        {"permissionCameraMicrophoneText", [](BrowserLink *l) { l->setPermissionCameraMicrophoneText("t3"); }, wire("config:permissionCameraMicrophoneText", "t3")},
        {"permissionNotificationsText", [](BrowserLink *l) { l->setPermissionNotificationsText("t4"); }, wire("config:permissionNotificationsText", "t4")},
        {"permissionGeolocationText", [](BrowserLink *l) { l->setPermissionGeolocationText("t5"); }, wire("config:permissionGeolocationText", "t5")},
        {"permissionMouseLockText", [](BrowserLink *l) { l->setPermissionMouseLockText("t6"); }, wire("config:permissionMouseLockText", "t6")},
        {"pageCrashedText", [](BrowserLink *l) { l->setPageCrashedText("t7"); }, wire("config:pageCrashedText", "t7")},
        {"pageReloadText", [](BrowserLink *l) { l->setPageReloadText("t8"); }, wire("config:pageReloadText", "t8")},
        {"externalSchemes", [](BrowserLink *l) { l->setExternalSchemes({"mailto", "tel"}); }, wire("config:externalSchemes", "mailto,tel")},
        {"findBarText", [](BrowserLink *l) { l->setFindBarText("Find"); }, wire("config:findBarText", "Find")},
        {"findBarMatchesText", [](BrowserLink *l) { l->setFindBarMatchesText("%1/%2"); }, wire("config:findBarMatchesText", "%1/%2")},
        {"findBarNoMatchesText", [](BrowserLink *l) { l->setFindBarNoMatchesText("None"); }, wire("config:findBarNoMatchesText", "None")},
        {"findBarPreviousText", [](BrowserLink *l) { l->setFindBarPreviousText("Up"); }, wire("config:findBarPreviousText", "Up")},
        {"findBarNextText", [](BrowserLink *l) { l->setFindBarNextText("Down"); }, wire("config:findBarNextText", "Down")},
        {"findBarCloseText", [](BrowserLink *l) { l->setFindBarCloseText("Done"); }, wire("config:findBarCloseText", "Done")},
        {"printing off", [](BrowserLink *l) { l->setPrinting(false); }, wire("config:printing", "0")},
        {"pageMenu", [](BrowserLink *l) { l->setPageMenu(true); }, wire("config:pageMenu", "1")},
        {"pdfViewer", [](BrowserLink *l) { l->setPdfViewer(true); }, wire("config:pdfViewer", "1")},
        {"reportNavigation", [](BrowserLink *l) { l->setReportNavigation(true); }, wire("config:reportNavigation", "1")},
        {"allowPopups", [](BrowserLink *l) { l->setAllowPopups(true); }, wire("config:allowPopups", "1")},
        {"allowPopups off", [](BrowserLink *l) { l->setAllowPopups(false); }, wire("config:allowPopups", "0")},
        {"a key of a newer browser", [](BrowserLink *l) { l->sendConfig("someNewKey", "on"); }, wire("config:someNewKey", "on")},
        {"showUrl, encoded", [](BrowserLink *l) { l->showUrl(QUrl(QString::fromUtf8("http://127.0.0.1:8080/a b?q=ü"))); },
         wire("event:showUrl", "http://127.0.0.1:8080/a%20b?q=%C3%BC")},
        {"active, empty payload", [](BrowserLink *l) { l->active(); }, "event:active:;"},
        {"updateOpenOutside", [](BrowserLink *l) { l->updateOpenOutside(true); }, "event:updateOpenOutside:dHJ1ZQ==;"},
        {"updateCheckChannel", [](BrowserLink *l) { l->updateCheckChannel(false); }, "event:updateCheckChannel:ZmFsc2U=;"},
        {"updateStoreToVell", [](BrowserLink *l) { l->updateStoreToVell(true); }, wire("event:updateStoreToVell", "true")},
        {"updateShareToFriend", [](BrowserLink *l) { l->updateShareToFriend(false); }, wire("event:updateShareToFriend", "false")},
        {"showBoxMessage", [](BrowserLink *l) { l->showBoxMessage("Saved."); }, wire("event:showBoxMessage", "Saved.")},
        {"postToPage", [](BrowserLink *l) { l->postToPage(QString::fromUtf8("{\"theme\":\"dunkel ü\"}")); },
         "event:postToPage:eyJ0aGVtZSI6ImR1bmtlbCDDvCJ9;"},
        {"currentuserinfoRes, info kept as a string",
         [](BrowserLink *l) { l->answerCurrentUserInfo("k5", R"({"name":"Ann"})"); },
         wire("iq:currentuserinfoRes", "{\"info\":\"{\\\"name\\\":\\\"Ann\\\"}\",\"key\":\"k5\"}")},
        {"permissionRes, allow", [](BrowserLink *l) { l->answerPermission("k3", true); },
         wire("iq:permissionRes", R"({"answer":"allow","key":"k3"})")},
        {"permissionRes, deny", [](BrowserLink *l) { l->answerPermission("k3", false); },
         wire("iq:permissionRes", R"({"answer":"deny","key":"k3"})")},
        {"getFileListRes, records", [](BrowserLink *l) { l->answerFileList("k1", {setupRecord()}); },
         wire("webfile:getFileListRes",
              R"({"data":[{"createTime":1526809226485,"downloadOffset":1000,"fileExists":false,"fileSize":64948616,)"
              R"("key":"034430106b1456491f537ede8ab300af","name":"Setup.exe","status":1,"updateTime":1526809226999}],"key":"k1"})")},
        {"getFileListRes, empty history", [](BrowserLink *l) { l->answerFileList("k1", QJsonArray()); },
         wire("webfile:getFileListRes", R"({"data":[],"key":"k1"})")},
        {"getDownloadOffsetRes, progress members only", [](BrowserLink *l) { l->answerDownloadOffset("k2", {setupRecord()}); },
         wire("webfile:getDownloadOffsetRes",
              R"({"data":[{"downloadOffset":1000,"fileExists":false,"fileSize":64948616,)"
              R"("key":"034430106b1456491f537ede8ab300af","status":1,"updateTime":1526809226999}],"key":"k2"})")},
        {"getDownloadOffsetRes, JSON as kept", [](BrowserLink *l) { l->answerDownloadOffset("k2", QJsonArray{QJsonObject{{"key", "a"}}}); },
         wire("webfile:getDownloadOffsetRes", R"({"data":[{"key":"a"}],"key":"k2"})")},
        {"startDownloadRes", [](BrowserLink *l) { l->answerStartDownload("k7", "Downloading a.zip"); },
         wire("webfile:startDownloadRes", R"({"info":"Downloading a.zip","key":"k7"})")},
        {"restartDownloadRes", [](BrowserLink *l) { l->answerRestartDownload("k6", "f1"); },
         wire("webfile:restartDownloadRes", R"({"fileKey":"f1","key":"k6"})")},
        {"removeHistoryRes", [](BrowserLink *l) { l->answerRemoveHistory("k3", "f1"); },
         wire("webfile:removeHistoryRes", R"({"fileKey":"f1","key":"k3"})")},
        {"removeAllHistoryRes", [](BrowserLink *l) { l->answerRemoveAllHistory("k4"); }, "webfile:removeAllHistoryRes:eyJrZXkiOiJrNCJ9;"},
    };
    return rows;
}

}

class tst_BrowserLink : public QObject
{
    Q_OBJECT
private slots:
    void sends_data();
    void sends();
    void everyConfigKeyHasACall();
    void badInput_data();
    void badInput();
};

void tst_BrowserLink::sends_data()
{
    QTest::addColumn<Call>("call");
    QTest::addColumn<QByteArray>("frame");
    for (const Sent &row : sentRows())
        QTest::newRow(row.name) << row.call << row.frame;
}

void tst_BrowserLink::sends()
{
    QFETCH(Call, call);
    QFETCH(QByteArray, frame);
    BrowserLink link;
    QSignalSpy out(&link, &BrowserLink::outgoing);
    call(&link);
    QCOMPARE(out.size(), 1);
    QCOMPARE(out.at(0).at(0).toByteArray(), frame);
}

// The browser's key table and the library's calls must name the same keys;
// a key added to one side only fails here.
void tst_BrowserLink::everyConfigKeyHasACall()
{
    QStringList keys;
    for (const Sent &row : sentRows()) {
        const HostMessage m = HostFramer::parse(row.frame.chopped(1));
        if (m.category == QLatin1String("config") && m.subcommand != QLatin1String("someNewKey"))
            keys << m.subcommand;
    }
    keys.removeDuplicates();
    keys.sort();
    QCOMPARE(keys, ConfigKeys::keys());
}

void tst_BrowserLink::badInput_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");

    QTest::newRow("one field") << QByteArray("garbage;") << "fewer than three fields";
    QTest::newRow("two fields") << QByteArray("webfile:getFileList;") << "fewer than three fields";
    QTest::newRow("unknown category") << wire("bogus:thing", "x") << "unknown message";
    QTest::newRow("category case matters") << wire("Feedback:refresh", "") << "unknown message";
    QTest::newRow("unknown subcommand") << wire("webfile:formatDisk", "x") << "unknown message";
    QTest::newRow("unknown feedback") << wire("feedback:reboot", "") << "unknown message";
    QTest::newRow("answer keyword from the wrong side") << wire("webfile:getFileListRes", "{}") << "unknown message";
    QTest::newRow("host keyword from the wrong side") << wire("event:showUrl", "http://x/") << "unknown message";
    QTest::newRow("list without key") << wire("webfile:getFileList", "") << "no request key";
    QTest::newRow("permission without key") << wire("iq:permission", R"({"feature":"camera","origin":"http://x"})") << "no request key";
    QTest::newRow("user info, only blanks") << wire("iq:currentuserinfo", "  ") << "no request key";
    QTest::newRow("progress, bad json") << wire("webfile:getDownloadOffset", "{not json") << "no request key";
    QTest::newRow("progress without key") << wire("webfile:getDownloadOffset", R"({"fileList":["a"]})") << "no request key";
    QTest::newRow("download without key") << wire("webfile:startDownload", R"({"name":"a.zip","url":"http://x/a.zip"})") << "no request key";
    QTest::newRow("download, key not a string") << wire("webfile:startDownload", R"({"key":7,"url":"http://x/"})") << "no request key";
    QTest::newRow("remove all, json array") << wire("webfile:removeAllHistory", "[1,2]") << "no request key";
    QTest::newRow("remove without file key") << wire("webfile:removeHistory", R"({"key":"k"})") << "no request key or file key";
    QTest::newRow("restart without key") << wire("webfile:restartDownload", R"({"fileKey":"f"})") << "no request key or file key";
    QTest::newRow("open folder without file key") << wire("webfile:openFileFolder", "") << "no file key";
    QTest::newRow("go to no channel") << wire("feedback:gotoChannel", "") << "no channel";
    QTest::newRow("position of three numbers") << wire("feedback:savePosition", "1,2,3") << "not a window position";
    QTest::newRow("position with words") << wire("feedback:savePosition", "a,b,300,200") << "not a window position";
    QTest::newRow("position of six numbers") << wire("feedback:savePosition", "1,2,3,4,0,9") << "not a window position";
    QTest::newRow("position, negative width") << wire("feedback:savePosition", "0,0,-5,10,0") << "not a window position";
    QTest::newRow("page without address") << wire("feedback:navigated", R"({"title":"t"})") << "no page address";
    QTest::newRow("page, address no URL") << wire("feedback:navigated", R"({"url":"http://[x"})") << "no page address";
    QTest::newRow("load outcome a word") << wire("feedback:loadFinished", R"({"ok":"true","url":"http://x/"})") << "no load outcome";
    QTest::newRow("binary noise") << QByteArray("\xff\xfe:\x00\x01:\x80;", 8) << "unknown message";
    QTest::newRow("no ';' within 8 MiB") << QByteArray(HostFramer::kMaxPending + 1, 'a') << "8388609 bytes without a ';'";
}

void tst_BrowserLink::badInput()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    BrowserLink link;
    LinkRecorder recorder(&link);
    QSignalSpy ignored(&link, &BrowserLink::messageIgnored);
    link.receive(bytes);
    QCOMPARE(ignored.size(), 1);
    QCOMPARE(ignored.at(0).at(1).toString(), reason);
    QCOMPARE(recorder.heard(), QStringList());
    // and the next message still gets through
    link.receive(wire("webfile:removeAllHistory", R"({"key":"k9"})"));
    QCOMPARE(recorder.heard(), QStringList{"removeAllHistoryRequested(k9)"});
}

QTEST_GUILESS_MAIN(tst_BrowserLink)
#include "tst_browserlink.moc"
