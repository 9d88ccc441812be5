// SPDX-License-Identifier: Apache-2.0
#include "window/vellchatwebbroswer_impl.h"

#include "config/externallinks.h"
#include "config/hostmatch.h"
#include "config/vellchatwbconfigure.h"
#include "downloads/accessiblehistoryview.h"
#include "downloads/downloadfiletree.h"
#include "hostlink/transport.h"
#include "web/pagedialogs.h"
#include "web/pageprofile.h"
#include "web/pagepermissions.h"
#include "web/pagerecovery.h"
#include "web/vellchatwebview.h"
#include "web/vellwebenginepage.h"
#include "window/findbar.h"
#include "window/focusorder.h"
#include "window/pagecommands.h"
#include "window/pageswitch.h"
#include "window/permissionprompt.h"
#include "widgets/accessiblebutton.h"
#include "widgets/accessibleinformbox.h"
#include "widgets/informbox.h"
#include "widgets/keyboardtrap.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QPainter>
#include <QWebChannel>
#include <QWebEngineProfile>
#include <utility>

using Config = VellChatWBConfigure;

// The page stays this far inside the frame's sides and bottom, where the
// window's border shows.
static constexpr int pageInset = 1;

// What the page sends through the bridge goes to the host link as it is.
static void sendToHost(const PageMessage &message, const QString &payload)
{
    transport::shareInstance()->pageMessage(message.category, message.subcommand, payload,
                                            message.delivery == PageMessage::Droppable);
}

VellChatWebBroswer_impl::VellChatWebBroswer_impl(QWidget *parent, bool maxed)
    : QWidget(parent)
    , jsBridge(this, &sendToHost)
    , titleBar(describedToAssistiveTechnology(this), maxed)
{
    KeyboardTrap::watchPresses();
    makeOverlay();
    makePage();
    connectTitleButtons();
    makeGrip();
    // The page has the keyboard when the window first comes up.
    webView->setFocus(Qt::OtherFocusReason);
}

void VellChatWebBroswer_impl::installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(AccessibleButton::factory);
        QAccessible::installFactory(AccessibleInformBox::factory);
        QAccessible::installFactory(AccessibleHistoryView::factory);
        // The window is a frame named by its title, as screen readers expect
        // of an application's window, not a nameless pane.
        QAccessible::installFactory([](const QString &className, QObject *object) -> QAccessibleInterface * {
            if (className != QLatin1String("VellChatWebBroswer") || !object->isWidgetType())
                return nullptr;
            return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
        });
        return true;
    }();
    Q_UNUSED(installed)
}

// The title buttons describe themselves as they are made, so our own
// descriptions must be in place before them.
QWidget *VellChatWebBroswer_impl::describedToAssistiveTechnology(QWidget *frame)
{
    installAccessibility();
    return frame;
}

void VellChatWebBroswer_impl::makePage()
{
    webView = new VellChatWebView(this);
    webView->move(pageInset, titleBar.height());
    pages = new PageSwitch(this, webView, &titleBar.backButton);

    auto *page = new VellWebEnginePage(PageProfile::instance(), webView);
    connect(page->profile(), &QWebEngineProfile::downloadRequested, this, &VellChatWebBroswer_impl::downloadRequested);
    webPage = page;
    jsBridge.setPage(page);
    PagePermissions::instance()->watch(page);
    auto *prompt = new PermissionPrompt(this, [this] {
        emit hideInfoBox();
        showBG();
    }, [this] { hideBG(); });
    connect(this, &VellChatWebBroswer_impl::hideInfoBox, prompt, &PermissionPrompt::giveWay);
    recovery = new PageRecovery(page);
    connect(recovery, &PageRecovery::receiveLog, this, &VellChatWebBroswer_impl::receiveLog);
    connect(recovery, &PageRecovery::urlReady, this, &VellChatWebBroswer_impl::loadUrlNow);
    connect(page, &VellWebEnginePage::navigationRefused, this, &VellChatWebBroswer_impl::receiveLog);
    connect(PageDialogs::of(page), &PageDialogs::receiveLog, this, &VellChatWebBroswer_impl::receiveLog);
    // Another program gets the address only once the user says so here.
    connect(page, &VellWebEnginePage::externalLinkRequested, this, [this, page](const QUrl &url) {
        const QString asker = HostMatch::originOf(VellWebEnginePage::shownUrl(page));
        openBox(ExternalLinks::question(url, asker), QStringLiteral("Open"), [url] { QDesktopServices::openUrl(url); },
                Config::InfoCancel(), true);
    });

    auto *channel = new QWebChannel(this);
    channel->registerObject(QStringLiteral("jsbridge"), &jsBridge);
    page->setWebChannel(channel);
    webView->setPage(page);
    commands = new PageCommands(this, webView);
    connect(commands, &PageCommands::layoutChanged, this, &VellChatWebBroswer_impl::relayout);
}

void VellChatWebBroswer_impl::connectTitleButtons()
{
    TitleBar &t = titleBar;
    connect(&t.miniButton, &Button::clicked, this, &VellChatWebBroswer_impl::miniSizeClicked);
    connect(&t.maxButton, &Button::clicked, this, &VellChatWebBroswer_impl::maxSizeClicked);
    connect(&t.restoreButton, &Button::clicked, this, &VellChatWebBroswer_impl::restoreClicked);
    connect(&t.closeButton, &Button::clicked, this, &VellChatWebBroswer_impl::closeClicked);
    connect(&t.refreshButton, &Button::clicked, this, &VellChatWebBroswer_impl::refresh);
    connect(&t.collectButton, &Button::clicked, this, &VellChatWebBroswer_impl::storeToVell);
    connect(&t.shareButton, &Button::clicked, this, &VellChatWebBroswer_impl::shareToFriend);
    connect(&t.channelButton, &Button::clicked, this, &VellChatWebBroswer_impl::channel);
    connect(&t.openOutsideButton, &Button::clicked, this, &VellChatWebBroswer_impl::openOutside);
    connect(&t.webFileButton, &Button::clicked, this, &VellChatWebBroswer_impl::onWebFile);
    connect(&t.backButton, &Button::clicked, this, &VellChatWebBroswer_impl::onWebFileBack);
}

void VellChatWebBroswer_impl::makeGrip()
{
    grip = new FrameGrip(this, [this] { return titleBar.height(); });
    connect(grip, &FrameGrip::moveRequested, this, &VellChatWebBroswer_impl::setParentPos);
    connect(grip, &FrameGrip::geometryRequested, this, &VellChatWebBroswer_impl::setParentGeometry);
    connect(grip, &FrameGrip::windowStateLeft, this, &VellChatWebBroswer_impl::clearWindowState);
    connect(grip, &FrameGrip::maximizeRequested, this, &VellChatWebBroswer_impl::maxSizeClicked);
    connect(grip, &FrameGrip::restoreRequested, this, &VellChatWebBroswer_impl::restoreClicked);
}

// Made before the page, the overlay stays under it until a box raises it.
void VellChatWebBroswer_impl::makeOverlay()
{
    overlay = new QWidget(this);
    QPalette dim = overlay->palette();
    dim.setBrush(QPalette::All, QPalette::Window, QBrush(QColor(0, 0, 0, 40)));
    overlay->setPalette(dim);
    overlay->setGeometry(0, 0, width(), height());
    overlay->setAutoFillBackground(true);
    overlay->hide();
}

void VellChatWebBroswer_impl::setParentPos(QPoint pos)
{
    emit clearWindowState();
    if (QWidget *w = parentWidget())
        w->move(pos);
}

void VellChatWebBroswer_impl::setParentGeometry(QRect rect)
{
    if (QWidget *w = parentWidget())
        w->setGeometry(rect);
}

void VellChatWebBroswer_impl::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    titleBar.paint(painter);
    painter.fillRect(QRect(QPoint(0, titleBar.height()), QPoint(width() - 1, height() - 1)), Qt::white);
}

void VellChatWebBroswer_impl::resizeEvent(QResizeEvent *event)
{
    Q_UNUSED(event)
    titleBar.layout();
    if (pageOnly) {
        webView->setGeometry(rect());
    } else {
        commands->findBar()->setGeometry(pageInset, titleBar.height(), width() - 2 * pageInset, commands->findBar()->height());
        const int top = titleBar.height() + commands->barHeight();
        webView->setGeometry(pageInset, top, width() - 2 * pageInset, height() - top - pageInset);
    }
    // The find bar closes before the history shows: it takes the page's whole place.
    if (downloadTree)
        downloadTree->setGeometry(pageInset, titleBar.height(), webView->width(), height() - titleBar.height() - pageInset);
    overlay->setGeometry(0, 0, width(), height());
}


// Keys reach the frame from its own buttons, from the panel and, for the keys
// a page leaves alone, from the page itself; a page that handles a key keeps
// it. An open box takes every key before it gets here.
void VellChatWebBroswer_impl::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    const bool panelShown = pages->panelShowing();
    if (!panelShown && commands->handleKey(event))
        return;
    enum { None, Refresh, Back, Forward, Leave } command = None;
    if ((key == Qt::Key_F5 && mods == Qt::NoModifier) || (key == Qt::Key_R && mods == Qt::ControlModifier))
        command = Refresh;
    else if ((key == Qt::Key_Left && mods == Qt::AltModifier) || key == Qt::Key_Back)
        command = Back;
    else if ((key == Qt::Key_Right && mods == Qt::AltModifier) || key == Qt::Key_Forward)
        command = Forward;
    else if (key == Qt::Key_Escape && mods == Qt::NoModifier && panelShown)
        command = Leave;
    if (key == Qt::Key_F6 && mods == Qt::NoModifier) {
        // F6 and Shift+F6 go between the title bar, an open bar and the page
        // (or the history), without a Tab through every control of the page.
        event->accept();
        FocusOrder::moveGroup({titleBar.tabOrder(), {commands->findBar()}, {panelShown ? static_cast<QWidget *>(downloadTree) : webView}},
                              !(event->modifiers() & Qt::ShiftModifier));
        return;
    }
    if (command == None) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    // Holding a key down acts once: one refresh for the host per press.
    if (event->isAutoRepeat())
        return;
    if (command == Refresh)
        emit refresh();
    else if ((command == Back && panelShown) || command == Leave) {
        // Back to the page, keys included.
        onWebFileBack();
        webView->setFocus(Qt::OtherFocusReason);
    }
    else if (command == Back && !panelShown)
        webView->goBack();
    else if (command == Forward && !panelShown)
        webView->goForward();
}

// Tab goes round the title buttons as they stand, the find bar, then the
// page or the panel: the toolkit's own chain follows the order widgets were
// made in, and the page's widget is made late.
bool VellChatWebBroswer_impl::focusNextPrevChild(bool next)
{
    QList<QWidget *> order = titleBar.tabOrder();
    order << commands->findBar() << webView << downloadTree;
    return FocusOrder::move(order, next) || QWidget::focusNextPrevChild(next);
}

void VellChatWebBroswer_impl::showBG()
{
    if (!overlay->isHidden())
        return;
    overlay->show();
    overlay->raise();
}

void VellChatWebBroswer_impl::hideBG()
{
    emit hideInfoBox();
    overlay->hide();
}

void VellChatWebBroswer_impl::updateShareToFriend()
{
    titleBar.showConfigured(TitleBar::Optional::Share);
}

void VellChatWebBroswer_impl::updateStoreToVell()
{
    titleBar.showConfigured(TitleBar::Optional::Collect);
}

void VellChatWebBroswer_impl::updateOpenOutside()
{
    titleBar.showConfigured(TitleBar::Optional::OpenOutside);
}

void VellChatWebBroswer_impl::updateCheckChannel()
{
    titleBar.showConfigured(TitleBar::Optional::Channel);
}

void VellChatWebBroswer_impl::setPageOnly(bool on)
{
    // The title bar's buttons were made before the page and lie under it.
    pageOnly = on;
    relayout();
}

void VellChatWebBroswer_impl::applyConfig()
{
    titleBar.applyConfig();
    if (downloadTree)
        downloadTree->applyConfig();
    relayout();
    update();
}

void VellChatWebBroswer_impl::setUrl(QString url)
{
    onWebFileBack();
    if (!recovery->holdBack(url))
        loadUrlNow(url);
}

void VellChatWebBroswer_impl::loadUrlNow(const QString &url)
{
    webPage->setStrictCertificates(Config::StrictCertificates());
    webPage->setTokenHosts(Config::AccessToken().isEmpty() ? QStringList() : Config::AccessTokenHosts());
    webPage->setExternalSchemes(Config::ExternalSchemes());
    jsBridge.setAllowedOrigins(Config::BridgeOrigins());
    commands->applyConfig();
    webView->setUrl(QUrl(url, QUrl::TolerantMode));
    webView->show();
}

void VellChatWebBroswer_impl::onWebFile()
{
    if (!downloadTree)
        makePanel();
    commands->findBar()->close();
    if (pages->showPanel())
        relayout();
}

void VellChatWebBroswer_impl::onWebFileBack()
{
    if (pages->showPage())
        relayout();
}

void VellChatWebBroswer_impl::makePanel()
{
    downloadTree = new DownloadFileTree(this);
    connect(downloadTree, &DownloadFileTree::requestFileList, this, &VellChatWebBroswer_impl::requestFileList);
    connect(downloadTree, &DownloadFileTree::requestFileDownloadOffsetList, this, &VellChatWebBroswer_impl::requestFileDownloadOffset);
    connect(downloadTree, &DownloadFileTree::openFileFoler, this, &VellChatWebBroswer_impl::openFileFoler);
    connect(downloadTree, &DownloadFileTree::redownloadFile, this, &VellChatWebBroswer_impl::redownloadFile);
    connect(downloadTree, &DownloadFileTree::removeDownloadFile, this, &VellChatWebBroswer_impl::onRemoveDownloadFile);
    connect(downloadTree, &DownloadFileTree::removeAllDownloadFile, this, &VellChatWebBroswer_impl::onRemoveAllDownloadFile);
    downloadTree->setGeometry(webView->geometry());
    pages->setPanel(downloadTree);
}

void VellChatWebBroswer_impl::openBox(const QString &text, const QString &confirmText,
                                      std::function<void()> onConfirm, const QString &cancelText, bool pageRaised)
{
    emit hideInfoBox();
    showBG();
    // Each button first takes the box and the overlay away, then does its work.
    auto dismissThen = [this](std::function<void()> work) {
        return [this, work](QWidget *box) {
            box->hide();
            box->deleteLater();
            hideBG();
            if (work)
                work();
        };
    };
    auto *box = new InformBox(this, text, confirmText, dismissThen(std::move(onConfirm)),
                              cancelText, cancelText.isEmpty() ? InformBox::Callback() : dismissThen(nullptr));
    if (pageRaised)
        box->holdInput();
    connect(this, &VellChatWebBroswer_impl::hideInfoBox, box, &QObject::deleteLater);
    box->move((width() - box->width()) / 2, (height() - box->height()) / 2);
    box->show();
}

void VellChatWebBroswer_impl::showInfo(QString text)
{
    openBox(text, Config::InfoOK(), nullptr, QString());
}

void VellChatWebBroswer_impl::onRemoveDownloadFile(QString key, QString fileKey)
{
    // The question names the file it is about, on a line of its own.
    const QString name = downloadTree ? downloadTree->fileName(fileKey) : QString();
    openBox(name.isEmpty() ? Config::WebFileRemoveTipsText() : Config::WebFileRemoveTipsText() + QLatin1Char('\n') + name,
            Config::InfoDelete(),
            [this, key, fileKey] { emit removeDownloadFile(key, fileKey); }, Config::InfoCancel());
}

void VellChatWebBroswer_impl::onRemoveAllDownloadFile(QString key)
{
    openBox(Config::WebFileRemoveAllTipsText(), Config::InfoClean(),
            [this, key] { emit removeAllDownloadFile(key); }, Config::InfoCancel());
}

// The host's answers go to the part they are for; the host link reaches
// those parts itself (window/windowhostcommands.cpp), these are for callers
// holding the frame.
void VellChatWebBroswer_impl::iqCurrentUserInfo(QByteArray json) { jsBridge.onCurrentUserInfo(json); }
void VellChatWebBroswer_impl::webfileListResponse(QByteArray json) { if (downloadTree) downloadTree->onRequestFileList(json); }
void VellChatWebBroswer_impl::webfileDownloadOffsetResponse(QByteArray json) { if (downloadTree) downloadTree->onRequestFileDownloadOffset(json); }
void VellChatWebBroswer_impl::webfileRestartDownloadResponse(QByteArray json) { if (downloadTree) downloadTree->onRestartDownloadResponse(json); }
void VellChatWebBroswer_impl::webfileRemoveHistoryResponse(QByteArray json) { if (downloadTree) downloadTree->onRemoveHistoryResponse(json); }
void VellChatWebBroswer_impl::webfileRemoveAllHistoryResponse(QByteArray json) { if (downloadTree) downloadTree->onRemoveAllHistoryResponse(json); }
