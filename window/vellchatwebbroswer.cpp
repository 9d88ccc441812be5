#include "window/vellchatwebbroswer.h"

static VellChatWebBroswer *s_window = nullptr;

VellChatWebBroswer *VellChatWebBroswer::instance() { return s_window; }
void VellChatWebBroswer::newVellChatWebBroswer(QString, QWidget *) {}
void VellChatWebBroswer::destory() {}
void VellChatWebBroswer::activeWnd() {}
void VellChatWebBroswer::showInfo(QString) {}
void VellChatWebBroswer::updateShareToFriend() {}
void VellChatWebBroswer::updateStoreToVell() {}
void VellChatWebBroswer::updateOpenOutside() {}
void VellChatWebBroswer::updateCheckChannel() {}
void VellChatWebBroswer::iqCurrentUserInfo(QByteArray) {}
void VellChatWebBroswer::webfileListResponse(QByteArray) {}
void VellChatWebBroswer::webfileDownloadOffsetResponse(QByteArray) {}
void VellChatWebBroswer::startDownloadResponse(QByteArray) {}
void VellChatWebBroswer::restartDownloadResponse(QByteArray) {}
void VellChatWebBroswer::removeHistoryResponse(QByteArray) {}
void VellChatWebBroswer::removeAllHistoryResponse(QByteArray) {}
