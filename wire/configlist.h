// SPDX-License-Identifier: Apache-2.0
#pragma once

// Every "config" key of the host link, once, in the order the integrators'
// guide lists them. The browser's parser and store, the host library's
// setters and the wire's words are all made from this list, and a test holds
// the guide's key table to it: a new key is a new row here, the code that
// uses it, and its test.
//
// X(Name, "key", Kind, Store, member, default)
//   Name     the wire's word wire::config::k<Name> and the library's set<Name>
//   "key"    as it travels
//   Kind     how the value travels and what the browser accepts:
//              Text        text; an empty one is ignored
//              Token       text, stored as it comes, empty included
//              Number      a decimal count of pixels; 0 or less is ignored
//              SwitchOn    "0" turns it off; anything else leaves it on
//              SwitchOff   "1" turns it on; anything else turns it off
//              HostList, OriginList, PolicyList, SchemeList
//                          a comma list, checked item by item; a list with a
//                          malformed item is ignored whole, so that a typo
//                          never widens what an earlier list allowed
//              Picture     the bytes of an image file
//              Custom      read by configkeys.cpp's apply<Name>, sent by a
//                          setter of the library's own
//   Store    the browser store's getter; Set<Store> stores
//   member, default
//            the store's member and what it starts as; "-" where the store
//            keeps the value itself (pictures and the Custom kinds)
//
// Only macros and words: the host library's installed header takes it too.
#define CWB_CONFIG_KEYS(X) \
    X(Title, "title", Text, Title, title, QString()) \
    X(RefreshText, "refreshText", Text, TitleRefreshText, titleRefreshText, QStringLiteral("Refresh")) \
    X(CollectText, "collectText", Text, TitleCollectText, titleCollectText, QStringLiteral("Collect")) \
    X(ShareText, "shareText", Text, TitleShareText, titleShareText, QStringLiteral("Share")) \
    X(ChannelText, "channelText", Text, TitleChannelText, titleChannelText, QStringLiteral("Channel")) \
    X(OpenoutsideText, "openoutsideText", Text, TitleOpenOutsideText, titleOpenOutsideText, QStringLiteral("Open Outside")) \
    X(WebFileText, "webFileText", Text, TitleWebFileText, titleWebFileText, QStringLiteral("Download History")) \
    X(WebFileBackText, "webFileBackText", Text, WebFileBackText, webFileBackText, QStringLiteral("Back")) \
    X(WebFileEmptyText, "webFileEmptyText", Text, WebFileEmptyText, webFileEmptyText, QStringLiteral("Download Empty")) \
    X(WebFileLoadingText, "webFileLoadingText", Text, WebFileLoadingText, webFileLoadingText, QStringLiteral("Loading...")) \
    X(WebFileRemoveAllText, "webFileRemoveAllText", Text, WebFileRemoveAllText, webFileRemoveAllText, QStringLiteral("Clean")) \
    X(WebFileOpenInFolderText, "webFileOpenInFolderText", Text, WebFileOpenInFolderText, webFileOpenInFolderText, QStringLiteral("Open in folder")) \
    X(WebFileRedownloadText, "webFileRedownloadText", Text, WebFileRedownloadText, webFileRedownloadText, QStringLiteral("Download again")) \
    X(WebFileFailedText, "webFileFailedText", Text, WebFileFailedText, webFileFailedText, QStringLiteral("Download failed")) \
    X(WebFileMissedText, "webFileMissedText", Text, WebFileMissedText, webFileMissedText, QStringLiteral("File has been moved or deleted")) \
    X(WebFileSuccessText, "webFileSuccessText", Text, WebFileSuccessText, webFileSuccessText, QStringLiteral("Download succeed")) \
    X(WebFileRemoveTipsText, "webFileRemoveTipsText", Text, WebFileRemoveTipsText, webFileRemoveTipsText, QStringLiteral("Delete this download record?")) \
    X(WebFileRemoveAllTipsText, "webFileRemoveAllTipsText", Text, WebFileRemoveAllTipsText, webFileRemoveAllTipsText, QStringLiteral("Clean all download record?")) \
    X(InfoBoxOk, "infoBoxOk", Text, InfoOK, infoOK, QStringLiteral("Ok")) \
    X(InfoBoxCancel, "infoBoxCancel", Text, InfoCancel, infoCancel, QStringLiteral("Cancel")) \
    X(InfoBoxDelete, "infoBoxDelete", Text, InfoDelete, infoDelete, QStringLiteral("Delete")) \
    X(InfoBoxClean, "infoBoxClean", Text, InfoClean, infoClean, QStringLiteral("Clean")) \
    X(InfoBoxSize, "infoBoxSize", Custom, InfoBoxSize, -, -) \
    X(InfoBoxMargin, "infoBoxMargin", Custom, InfoBoxMargins, -, -) \
    X(TitleHeight, "titleHeight", Number, TitleHeight, titleHeight, 40) \
    X(TitleLeft, "titleLeft", Number, TitleLeft, titleLeft, 5) \
    X(TitleRight, "titleRight", Number, TitleRight, titleRight, 5) \
    X(TitleSkip, "titleSkip", Number, TitleSkip, titleSkip, 5) \
    X(MiniWidth, "miniWidth", Number, MiniWidth, miniWidth, 520) \
    X(WindowsRect, "windowsRect", Custom, Geometry, -, -) \
    X(TitleBackgroundColor, "titleBackgroundColor", Custom, TitleBG, -, -) \
    X(ShadowColor, "shadowColor", Custom, ShadowColor, -, -) \
    X(TitleTextColor, "titleTextColor", Custom, TitleTextColor, -, -) \
    X(TitleTextHoverColor, "titleTextHoverColor", Custom, TitleTextHoverColor, -, -) \
    X(ContainerBackgroundColor, "containerBackgroundColor", Custom, ContainerBG, -, -) \
    X(Icon, "Icon", Picture, WindowIcon, -, -) \
    X(TitleLogoData, "titleLogoData", Picture, TitleChannelLogo, -, -) \
    X(TitleMinisizeIconData, "titleMinisizeIconData", Picture, TitleMiniIcon, -, -) \
    X(TitleMaxsizeIconData, "titleMaxsizeIconData", Picture, TitleMaxIcon, -, -) \
    X(TitleRestoreIconData, "titleRestoreIconData", Picture, TitleRestoreIcon, -, -) \
    X(TitleCloseIconData, "titleCloseIconData", Picture, TitleCloseIcon, -, -) \
    X(AccessToken, "accessToken", Token, AccessToken, accessToken, QString()) \
    X(AccessTokenHosts, "accessTokenHosts", HostList, AccessTokenHosts, accessTokenHosts, QStringList()) \
    X(StrictCertificates, "strictCertificates", SwitchOff, StrictCertificates, strictCertificates, false) \
    X(BridgeOrigins, "bridgeOrigins", OriginList, BridgeOrigins, bridgeOrigins, QStringList()) \
    X(PageCrashedText, "pageCrashedText", Text, PageCrashedText, pageCrashedText, QStringLiteral("This page stopped working.")) \
    X(PageReloadText, "pageReloadText", Text, PageReloadText, pageReloadText, QStringLiteral("Reload")) \
    X(PermissionPolicy, "permissionPolicy", PolicyList, PermissionRules, permissionPolicy, QStringList()) \
    X(InfoBoxAllow, "infoBoxAllow", Text, InfoAllow, infoAllow, QStringLiteral("Allow")) \
    X(InfoBoxBlock, "infoBoxBlock", Text, InfoBlock, infoBlock, QStringLiteral("Block")) \
    X(PermissionCameraText, "permissionCameraText", Text, PermissionCameraText, permissionCameraText, QStringLiteral("%1 wants to use your camera")) \
    X(PermissionMicrophoneText, "permissionMicrophoneText", Text, PermissionMicrophoneText, permissionMicrophoneText, QStringLiteral("%1 wants to use your microphone")) \
    X(PermissionCameraMicrophoneText, "permissionCameraMicrophoneText", Text, PermissionCameraMicrophoneText, permissionCameraMicrophoneText, QStringLiteral("%1 wants to use your camera and microphone")) \
    X(PermissionScreenText, "permissionScreenText", Text, PermissionScreenText, permissionScreenText, QStringLiteral("%1 wants to share your screen")) \
    X(PermissionNotificationsText, "permissionNotificationsText", Text, PermissionNotificationsText, permissionNotificationsText, QStringLiteral("%1 wants to show notifications")) \
    X(PermissionGeolocationText, "permissionGeolocationText", Text, PermissionGeolocationText, permissionGeolocationText, QStringLiteral("%1 wants to know your location")) \
    X(PermissionMouseLockText, "permissionMouseLockText", Text, PermissionMouseLockText, permissionMouseLockText, QStringLiteral("%1 wants to hide and hold your mouse pointer")) \
    X(ExternalSchemes, "externalSchemes", SchemeList, ExternalSchemes, externalSchemes, QStringList()) \
    X(FindBarText, "findBarText", Text, FindBarText, findBarText, QStringLiteral("Find in page")) \
    X(FindBarMatchesText, "findBarMatchesText", Text, FindBarMatchesText, findBarMatchesText, QStringLiteral("%1 of %2")) \
    X(FindBarNoMatchesText, "findBarNoMatchesText", Text, FindBarNoMatchesText, findBarNoMatchesText, QStringLiteral("No matches")) \
    X(FindBarPreviousText, "findBarPreviousText", Text, FindBarPreviousText, findBarPreviousText, QStringLiteral("Previous")) \
    X(FindBarNextText, "findBarNextText", Text, FindBarNextText, findBarNextText, QStringLiteral("Next")) \
    X(FindBarCloseText, "findBarCloseText", Text, FindBarCloseText, findBarCloseText, QStringLiteral("Close")) \
    X(Printing, "printing", SwitchOn, Printing, printing, true) \
    X(PageMenu, "pageMenu", SwitchOff, PageMenu, pageMenu, false) \
    X(PdfViewer, "pdfViewer", SwitchOff, PdfViewer, pdfViewer, false) \
    X(ReportNavigation, "reportNavigation", SwitchOff, ReportNavigation, reportNavigation, false) \
    X(AllowPopups, "allowPopups", SwitchOff, AllowPopups, allowPopups, false)
