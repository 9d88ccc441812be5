// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "hostlib/downloadrecord.h"
#include "hostlib/hostexport.h"
#include "hostlib/hostframer.h"

#include <QByteArray>
#include <QJsonArray>
#include <QList>
#include <QMargins>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>

namespace ChannelWebBrowser {

// The host's side of the conversation with one browser, without any socket:
// bytes from the browser go into receive() and come out as typed signals;
// every call below becomes one frame, emitted by outgoing(). BrowserHost
// connects both ends to the browser's socket; tests and hosts with a transport
// of their own can use a BrowserLink alone. Needs nothing but Qt Core.
//
// Configuration calls ("config" messages) only store a value in the browser.
// Send them before showUrl(): the window is built from the stored values when
// the first showUrl() arrives. Which values also change a window that is
// already shown is listed in the integrators' guide.
class CWB_HOST_EXPORT BrowserLink : public QObject
{
    Q_OBJECT
public:
    explicit BrowserLink(QObject *parent = nullptr);
    ~BrowserLink() override;

    // Bytes as the browser wrote them, cut anywhere: complete messages are
    // dispatched to the signals below at once, the rest is kept for later.
    void receive(const QByteArray &bytes);

    // ---- Configuration: the window's texts. An empty text is ignored by the
    // browser, which keeps what it had.
    void setTitle(const QString &text);                      // "title": the window system's title
    void setRefreshText(const QString &text);                // "refreshText"
    void setCollectText(const QString &text);                // "collectText"
    void setShareText(const QString &text);                  // "shareText"
    void setChannelText(const QString &text);                // "channelText"
    void setOpenoutsideText(const QString &text);            // "openoutsideText"
    void setWebFileText(const QString &text);                // "webFileText": the Download History button
    void setWebFileEmptyText(const QString &text);           // "webFileEmptyText": the panel without downloads
    void setWebFileLoadingText(const QString &text);         // "webFileLoadingText": the panel until the first answer
    void setWebFileSuccessText(const QString &text);         // "webFileSuccessText"
    void setWebFileFailedText(const QString &text);          // "webFileFailedText": a failed download's second line
    void setWebFileOpenInFolderText(const QString &text);    // "webFileOpenInFolderText": link of a finished download
    void setWebFileBackText(const QString &text);            // "webFileBackText": back from the panel to the page
    void setWebFileRedownloadText(const QString &text);      // "webFileRedownloadText": link of a failed download
    void setWebFileMissedText(const QString &text);          // "webFileMissedText": a finished file no longer on disk
    void setWebFileRemoveAllText(const QString &text);       // "webFileRemoveAllText": the panel's clean-all button
    void setWebFileRemoveTipsText(const QString &text);      // "webFileRemoveTipsText": asks before removing one
    void setWebFileRemoveAllTipsText(const QString &text);   // "webFileRemoveAllTipsText": asks before cleaning all
    void setInfoBoxOk(const QString &text);                  // "infoBoxOk": the message box's button
    void setInfoBoxCancel(const QString &text);              // "infoBoxCancel"
    void setInfoBoxDelete(const QString &text);              // "infoBoxDelete": confirms removing one
    void setInfoBoxClean(const QString &text);               // "infoBoxClean": confirms cleaning all
    void setPageCrashedText(const QString &text);               // "pageCrashedText"
    void setPageReloadText(const QString &text);                // "pageReloadText"
    // The permission box; each question has "%1" where the asking origin goes.
    void setInfoBoxAllow(const QString &text);                  // "infoBoxAllow"
    void setInfoBoxBlock(const QString &text);                  // "infoBoxBlock"
    void setPermissionCameraText(const QString &text);          // "permissionCameraText"
    void setPermissionMicrophoneText(const QString &text);      // "permissionMicrophoneText"
    void setPermissionCameraMicrophoneText(const QString &text); // "permissionCameraMicrophoneText"
    void setPermissionScreenText(const QString &text);          // "permissionScreenText"
    void setPermissionNotificationsText(const QString &text);   // "permissionNotificationsText"
    void setPermissionGeolocationText(const QString &text);     // "permissionGeolocationText"
    void setPermissionMouseLockText(const QString &text);       // "permissionMouseLockText"
    void setFindBarText(const QString &text);                // "findBarText": the find bar's field
    void setFindBarMatchesText(const QString &text);         // "findBarMatchesText": "%1 of %2", current and all matches
    void setFindBarNoMatchesText(const QString &text);       // "findBarNoMatchesText"
    void setFindBarPreviousText(const QString &text);        // "findBarPreviousText"
    void setFindBarNextText(const QString &text);            // "findBarNextText"
    void setFindBarCloseText(const QString &text);           // "findBarCloseText"

    // ---- Configuration: sizes in screen pixels, used as given; 0 or less is ignored.
    void setTitleHeight(int pixels);   // "titleHeight"
    void setTitleLeft(int pixels);     // "titleLeft": space before the logo
    void setTitleRight(int pixels);    // "titleRight"
    void setTitleSkip(int pixels);     // "titleSkip": space between title buttons
    void setMiniWidth(int pixels);     // "miniWidth": the window's minimum width
    // "infoBoxSize": the message box, "width,height".
    void setInfoBoxSize(const QSize &size);
    // "infoBoxMargin": inside the message box, "left,top,right,bottom".
    void setInfoBoxMargin(const QMargins &margins);
    // "windowsRect": where the next window opens, "x,y,width,height,1|0". A
    // maximized flag of 0 leaves an earlier 1 in place.
    void setWindowsRect(const QRect &rect, bool maximized = false);
    // The same with a position text as positionSaved() delivered it.
    void setWindowsRect(const QString &position);

    // ---- Configuration: colours, each part 0 to 255.
    void setTitleBackgroundColor(int red, int green, int blue, int alpha = 255);   // "titleBackgroundColor"
    void setShadowColor(int red, int green, int blue, int alpha = 255);           // "shadowColor": the window border
    // "titleTextColor": the title buttons' captions (and the keyboard's focus
    // ring); default white. "titleTextHoverColor": a caption under the
    // pointer; default the caption colour.
    void setTitleTextColor(int red, int green, int blue, int alpha = 255);
    void setTitleTextHoverColor(int red, int green, int blue, int alpha = 255);
    // "containerBackgroundColor": 0xRRGGBB, opaque; 0 is ignored.
    void setContainerBackgroundColor(quint32 rgb);

    // ---- Configuration: pictures, as the bytes of a PNG or JPEG file.
    void setIcon(const QByteArray &imageFile);                    // "Icon": the window system's icon
    void setTitleLogoData(const QByteArray &imageFile);           // "titleLogoData": the logo left in the title bar
    void setTitleMinisizeIconData(const QByteArray &imageFile);   // "titleMinisizeIconData"
    void setTitleMaxsizeIconData(const QByteArray &imageFile);    // "titleMaxsizeIconData"
    void setTitleRestoreIconData(const QByteArray &imageFile);    // "titleRestoreIconData"
    void setTitleCloseIconData(const QByteArray &imageFile);      // "titleCloseIconData"

    // ---- Configuration: the access token, sent as the "X-Access-Token"
    // header of page requests from the next showUrl() on. Empty: no header.
    void setAccessToken(const QString &token);

    // ---- Configuration: hardening, from the next showUrl() on. Lists go as
    // comma lists; a list with a malformed item is ignored whole. See
    // "Hardening keys" in host/README.md.
    // "accessTokenHosts": only these hosts ("example.org", "*.example.org",
    // "127.0.0.1") get the token; empty: every host.
    void setAccessTokenHosts(const QStringList &hosts);
    // "strictCertificates": "1" refuses pages with certificate errors.
    void setStrictCertificates(bool strict);
    // "bridgeOrigins": only pages of these origins ("https://example.org",
    // "http://127.0.0.1:8080") get anything from jsbridge; empty: every page.
    void setBridgeOrigins(const QStringList &origins);
    // "permissionPolicy": who answers a page's permission requests, items
    // "feature=rule" ("camera=ask", "screen=host"); features camera,
    // microphone, screen, notifications, geolocation, mouselock; rules ask,
    // allow, deny, host. Empty: ask for all but mouselock, which is denied.
    void setPermissionPolicy(const QStringList &items);
    // "externalSchemes": links to these schemes ("mailto", "tel") go to the
    // desktop's program at once, links to others ask the user first; {"none"}:
    // no link goes to another program and nobody is asked. Empty: all ask.
    void setExternalSchemes(const QStringList &schemes);

    // ---- Configuration: what the user may do with a page, from the next
    // showUrl() on. See "Page features" in host/README.md.
    // "printing": "0" turns Ctrl+P and the pages' window.print() off; on by default.
    void setPrinting(bool on);
    // "pageMenu": "1" adds Cut, Copy, Paste, Select all, Copy link address,
    // Save link, Copy image and Save image to the page's right-click menu as
    // they fit the place clicked; off: the menu only offers "back".
    void setPageMenu(bool on);
    // "pdfViewer": "1" shows PDF files in the window instead of downloading them.
    void setPdfViewer(bool on);
    // "reportNavigation": "1" tells you of every page the user reaches
    // (navigated(), loadFinished()) and gives the title-bar click signals the
    // address they were pressed on; off by default, at once.
    void setReportNavigation(bool on);
    // "allowPopups": "1" opens the windows and dialogs pages ask for
    // (window.open with a size, a login) in a window of their own.
    void setAllowPopups(bool on);

    // Any "config" key, with its value's bytes as they are. For keys of a
    // newer browser than this library knows.
    void sendConfig(const QString &key, const QByteArray &value);

    // ---- Events.
    // "showUrl": shows the page, building the window first if there is none.
    void showUrl(const QUrl &url);
    // "active": brings the window to the front.
    void active();
    // "updateOpenOutside", "updateCheckChannel", "updateStoreToVell",
    // "updateShareToFriend": shows or hides that title button, at once and in
    // later windows. Open Outside and Channel share one place: show one.
    void updateOpenOutside(bool shown);
    void updateCheckChannel(bool shown);
    void updateStoreToVell(bool shown);
    void updateShareToFriend(bool shown);
    // "showBoxMessage": a message box over the page, with the OK button.
    void showBoxMessage(const QString &text);
    // "postToPage": text for the page's script, which hears it through
    // jsbridge's receiveMessage signal; only a page of an origin in
    // setBridgeOrigins() (any page without that list) gets it, and no page
    // shown, or an empty text, drops it. Nothing comes back.
    void postToPage(const QString &text);

    // ---- Answers: each repeats the key of the request it answers.
    // "currentuserinfoRes": info is handed to the page unchanged. Answer
    // within about three seconds: the page's call waits no longer.
    void answerCurrentUserInfo(const QString &key, const QString &info);
    // "permissionRes": the answer to permissionRequested(); the browser
    // takes no answer within ten seconds as a no.
    void answerPermission(const QString &key, bool allow);
    // "getFileListRes": the whole history, newest first.
    void answerFileList(const QString &key, const QList<DownloadRecord> &records);
    void answerFileList(const QString &key, const QJsonArray &records);
    // "getDownloadOffsetRes": the progress of the files asked for.
    void answerDownloadOffset(const QString &key, const QList<DownloadRecord> &records);
    void answerDownloadOffset(const QString &key, const QJsonArray &records);
    // "startDownloadRes": a non-empty info is shown in the message box.
    void answerStartDownload(const QString &key, const QString &info);
    // "restartDownloadRes", "removeHistoryRes": the file key the request named.
    void answerRestartDownload(const QString &key, const QString &fileKey);
    void answerRemoveHistory(const QString &key, const QString &fileKey);
    // "removeAllHistoryRes".
    void answerRemoveAllHistory(const QString &key);

    // One frame of any kind, the payload text sent as UTF-8.
    void send(const QString &category, const QString &subcommand, const QString &payload);

signals:
    // Each frame for the browser, in order, complete with its ';'.
    void outgoing(const QByteArray &frame);

    // Every message the browser sent, before it is checked and dispatched.
    void messageReceived(const ChannelWebBrowser::HostMessage &message);
    // A message that reached none of the signals below, and why; also bytes
    // dropped because no ';' came (message then empty).
    void messageIgnored(const ChannelWebBrowser::HostMessage &message, const QString &reason);

    // Title-bar clicks ("feedback" "refresh", "storeToVell", "share",
    // "channel", "openOutside"). The browser does nothing else about them:
    // reloading, collecting, sharing and opening outside are the host's work.
    // page: the address the user was on, with setReportNavigation(true);
    // empty without it.
    void refreshClicked(const QUrl &page);
    void collectClicked(const QUrl &page);
    void shareClicked(const QUrl &page);
    void channelClicked(const QUrl &page);
    void openOutsideClicked(const QUrl &page);
    // With setReportNavigation(true): "navigated", the page's address or its
    // title changed (a link, a redirect, showUrl(), the page's own
    // history.pushState()); "loadFinished", its loading ended, ok false when
    // it failed (no answer, refused, a certificate the browser would not take).
    void navigated(const QUrl &url, const QString &title);
    void loadFinished(const QUrl &url, bool ok);
    // "gotoChannel": a page asked, through jsbridge, to switch to a channel.
    void gotoChannelRequested(const QString &channelId);
    // "receiveLog": a line a page posted through jsbridge, or the browser's own.
    void logReceived(const QString &line);
    // "savePosition": the window moved, was resized or closed. Keep position
    // and give it back with setWindowsRect() before the next window.
    void positionSaved(const QString &position, const QRect &rect, bool maximized);

    // Requests; answer each with the call named.
    void currentUserInfoRequested(const QString &key);                             // answerCurrentUserInfo
    // "permission": a page asks for features ("camera", "microphone",
    // "screen", "notifications", "geolocation", "mouselock") that the
    // permission policy leaves to you; answerPermission.
    void permissionRequested(const QString &key, const QString &origin, const QStringList &features);
    void fileListRequested(const QString &key);                                    // answerFileList
    void downloadOffsetRequested(const QString &key, const QStringList &fileKeys);   // answerDownloadOffset
    // A page started a download: fetch url yourself and answerStartDownload.
    void startDownloadRequested(const QString &key, const QUrl &url, const QString &name);
    void restartDownloadRequested(const QString &key, const QString &fileKey);   // answerRestartDownload
    void removeHistoryRequested(const QString &key, const QString &fileKey);     // answerRemoveHistory
    void removeAllHistoryRequested(const QString &key);                          // answerRemoveAllHistory
    // "openFileFolder": show the folder of that download; nothing to answer.
    void openFileFolderRequested(const QString &fileKey);

private:
    // Hidden, like the state behind d: programs built against 1.0 must keep
    // working with every later 1.x, so nothing private is part of the ABI.
    Q_DECL_HIDDEN void sendBytes(const QString &category, const QString &subcommand, const QByteArray &payload);
    Q_DECL_HIDDEN void sendJson(const QString &category, const QString &subcommand, const QJsonObject &object);
    Q_DECL_HIDDEN void dispatch(const HostMessage &message);
    Q_DECL_HIDDEN void dispatchFeedback(const HostMessage &message);
    Q_DECL_HIDDEN void dispatchWebfile(const HostMessage &message);

    class Private;
    std::unique_ptr<Private> d;
};

}
