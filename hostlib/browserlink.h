// SPDX-License-Identifier: Apache-2.0
#pragma once

#include "hostlib/downloadrecord.h"
#include "hostlib/hostexport.h"
#include "hostlib/hostframer.h"
#include "wire/configlist.h"

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

// The library's setter for each kind of key of the list: its value's type,
// and whether the list's rows of that kind have one (Custom keys have
// setters of their own).
#define CWB_LINK_SETTER(...) __VA_ARGS__
#define CWB_LINK_SETTER_Text CWB_LINK_SETTER
#define CWB_LINK_SETTER_Token CWB_LINK_SETTER
#define CWB_LINK_SETTER_Number CWB_LINK_SETTER
#define CWB_LINK_SETTER_SwitchOn CWB_LINK_SETTER
#define CWB_LINK_SETTER_SwitchOff CWB_LINK_SETTER
#define CWB_LINK_SETTER_HostList CWB_LINK_SETTER
#define CWB_LINK_SETTER_OriginList CWB_LINK_SETTER
#define CWB_LINK_SETTER_PolicyList CWB_LINK_SETTER
#define CWB_LINK_SETTER_SchemeList CWB_LINK_SETTER
#define CWB_LINK_SETTER_Picture CWB_LINK_SETTER
#define CWB_LINK_SETTER_Custom(...)
#define CWB_LINK_VALUE_Text const QString &
#define CWB_LINK_VALUE_Token const QString &
#define CWB_LINK_VALUE_Number int
#define CWB_LINK_VALUE_SwitchOn bool
#define CWB_LINK_VALUE_SwitchOff bool
#define CWB_LINK_VALUE_HostList const QStringList &
#define CWB_LINK_VALUE_OriginList const QStringList &
#define CWB_LINK_VALUE_PolicyList const QStringList &
#define CWB_LINK_VALUE_SchemeList const QStringList &
#define CWB_LINK_VALUE_Picture const QByteArray &

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

    // ---- Configuration: one setter per key of wire/configlist.h, named
    // set<Key> ("allowPopups": setAllowPopups), its value as the key's kind:
    //   text (Text, Token)           const QString &; the browser ignores an
    //                                empty text, but takes an empty token
    //   Number                       int, screen pixels used as given; 0 or
    //                                less is ignored
    //   SwitchOn, SwitchOff          bool
    //   HostList, OriginList, PolicyList, SchemeList
    //                                const QStringList &, sent as a comma
    //                                list; a malformed item spoils it whole
    //   Picture                      const QByteArray &: a PNG or JPEG file
    // The integrators' guide (integrators-guide.md) says what each key does, its
    // default and when it takes effect. The keys whose values have a shape
    // of their own have the setters after these.
#define CWB_LINK_DECLARE(Name, key, Kind, ...) CWB_LINK_SETTER_##Kind(void set##Name(CWB_LINK_VALUE_##Kind value);)
    CWB_CONFIG_KEYS(CWB_LINK_DECLARE)
#undef CWB_LINK_DECLARE

    // "infoBoxSize": the message box, "width,height".
    void setInfoBoxSize(const QSize &size);
    // "infoBoxMargin": inside the message box, "left,top,right,bottom".
    void setInfoBoxMargin(const QMargins &margins);
    // "windowsRect": where the next window opens, "x,y,width,height,1|0". A
    // maximized flag of 0 leaves an earlier 1 in place.
    void setWindowsRect(const QRect &rect, bool maximized = false);
    // The same with a position text as positionSaved() delivered it.
    void setWindowsRect(const QString &position);
    // Colours, each part 0 to 255.
    void setTitleBackgroundColor(int red, int green, int blue, int alpha = 255);   // "titleBackgroundColor"
    void setShadowColor(int red, int green, int blue, int alpha = 255);           // "shadowColor": the window border
    // "titleTextColor": the title buttons' captions (and the keyboard's focus
    // ring); default white. "titleTextHoverColor": a caption under the
    // pointer; default the caption colour.
    void setTitleTextColor(int red, int green, int blue, int alpha = 255);
    void setTitleTextHoverColor(int red, int green, int blue, int alpha = 255);
    // "containerBackgroundColor": 0xRRGGBB, opaque; 0 is ignored.
    void setContainerBackgroundColor(quint32 rgb);

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
