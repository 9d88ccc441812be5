// SPDX-License-Identifier: Apache-2.0
#include "config/vellchatwbconfigure.h"
#include "downloads/downloadfiledelegate.h"
#include "downloads/downloadfilemodel.h"
#include "downloads/ilink.h"
#include "downloads/modelitemfile.h"
#include "downloads/modelitemroot.h"
#include "downloads/treeview.h"
#include "resources/resource.h"

#include <QCursor>
#include <QHeaderView>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QtTest>

Q_DECLARE_METATYPE(Qt::MouseButton)

namespace {

const qint64 day20 = 1526809226485;

// In a 600-pixel-wide view at 100 %: the day row takes y 0..29, then the files
// "done" (30..149), "failed" (150..269) and "running" (270..389). Within a file
// row the link text ends at x 536 and spans y 50 and a font height down; the
// delete icon covers 529..541 x 14..26.
const int rowTop[] = {30, 150, 270};

ModelItemFile *fileFrom(const char *json)
{
    const QJsonObject record = QJsonDocument::fromJson(QByteArray(json)).object();
    auto *file = new ModelItemFile(record.value("key").toString());
    file->fromJson(record);
    return file;
}

} // namespace

class tst_TreeView : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void press_data();
    void press();
    void cursorFollowsLinks();
    void underlineFollowsPointer();
    void hoveredRowBackground();
    void linkClicks_data();
    void linkClicks();
    void keys_data();
    void keys();
    void visibleRows();
    void focusedRowRing();
private:
    void move(const QPoint &position);
    QScopedPointer<ModelItemRoot> root;
    QScopedPointer<DownloadFileModel> model;
    QScopedPointer<DownloadFileDelegate> delegate;
    QScopedPointer<TreeView> view;
};

void tst_TreeView::init()
{
    VellChatWBConfigure::init();
    root.reset(new ModelItemRoot(nullptr));
    model.reset(new DownloadFileModel(root.data(), nullptr));
    delegate.reset(new DownloadFileDelegate(nullptr));
    model->insertItem(fileFrom(R"({"key":"done","name":"a.pdf","createTime":1526809226485,"status":2,"fileExists":true})"));
    model->insertItem(fileFrom(R"({"key":"failed","name":"b.pdf","createTime":1526809226484,"status":3})"));
    model->insertItem(fileFrom(R"({"key":"running","name":"c.pdf","createTime":1526809226483,"status":1})"));
    view.reset(new TreeView);
    view->setRootIsDecorated(false);
    view->setIndentation(0);
    view->setHeaderHidden(true);
    view->setFrameShape(QFrame::NoFrame);
    view->setMouseTracking(true);
    view->setModel(model.data());
    view->setItemDelegate(delegate.data());
    view->resize(600, 600);
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view.data()));
    view->expandAll();
    const QModelIndex day = model->index(0, 0);
    QCOMPARE(view->visualRect(day), QRect(0, 0, 600, 30));
    QCOMPARE(view->visualRect(model->index(2, 0, day)), QRect(0, 270, 600, 120));
}

void tst_TreeView::cleanup()
{
    view.reset();
    delegate.reset();
    model.reset();
    root.reset();
}

void tst_TreeView::move(const QPoint &position)
{
    QMouseEvent event(QEvent::MouseMove, position, view->viewport()->mapToGlobal(position), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &event);
}

void tst_TreeView::press_data()
{
    QTest::addColumn<int>("row");            // 0 done, 1 failed, 2 running
    QTest::addColumn<QPoint>("offset");      // within the row
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QString>("signal");
    QTest::addColumn<bool>("baseHandles");   // the press reaches the ordinary view handling
    const QPoint link(530, 60);
    const QPoint cross(535, 20);
    QTest::newRow("open folder") << 0 << link << Qt::LeftButton << "openFileFoler" << false;
    QTest::newRow("download again") << 1 << link << Qt::LeftButton << "redownloadFile" << false;
    QTest::newRow("remove finished") << 0 << cross << Qt::LeftButton << "removeDownloadFile" << false;
    QTest::newRow("remove while downloading") << 2 << cross << Qt::LeftButton << "removeDownloadFile" << false;
    QTest::newRow("right button on a link is swallowed") << 0 << link << Qt::RightButton << QString() << false;
    QTest::newRow("middle button on the cross is swallowed") << 1 << cross << Qt::MiddleButton << QString() << false;
    QTest::newRow("no link while downloading") << 2 << link << Qt::LeftButton << QString() << true;
    QTest::newRow("on the name") << 0 << QPoint(150, 20) << Qt::LeftButton << QString() << true;
}

void tst_TreeView::press()
{
    QFETCH(int, row);
    QFETCH(QPoint, offset);
    QFETCH(Qt::MouseButton, button);
    QFETCH(QString, signal);
    QFETCH(bool, baseHandles);
    QSignalSpy open(view.data(), &TreeView::openFileFoler);
    QSignalSpy again(view.data(), &TreeView::redownloadFile);
    QSignalSpy remove(view.data(), &TreeView::removeDownloadFile);
    const QStringList keys = {"done", "failed", "running"};
    QTest::mousePress(view->viewport(), button, Qt::NoModifier, QPoint(0, rowTop[row]) + offset);
    QCOMPARE(open.count(), signal == "openFileFoler" ? 1 : 0);
    QCOMPARE(again.count(), signal == "redownloadFile" ? 1 : 0);
    QCOMPARE(remove.count(), signal == "removeDownloadFile" ? 1 : 0);
    for (QSignalSpy *spy : {&open, &again, &remove}) {
        if (spy->count())
            QCOMPARE(spy->at(0).at(0).toString(), keys.at(row));
    }
    // The ordinary handling makes the pressed row current; a link press never does.
    const QModelIndex pressed = model->index(row, 0, model->index(0, 0));
    QCOMPARE(view->currentIndex() == pressed, baseHandles);
}

void tst_TreeView::cursorFollowsLinks()
{
    view->setCursor(Qt::ArrowCursor);
    move(QPoint(530, rowTop[0] + 60));
    QCOMPARE(view->cursor().shape(), Qt::PointingHandCursor);
    move(QPoint(150, rowTop[0] + 30));
    QCOMPARE(view->cursor().shape(), Qt::ArrowCursor);
    move(QPoint(535, rowTop[2] + 20));
    QCOMPARE(view->cursor().shape(), Qt::PointingHandCursor);
    // Over a day row, or below the last row, the shape stays as it was.
    move(QPoint(535, 10));
    QCOMPARE(view->cursor().shape(), Qt::PointingHandCursor);
    move(QPoint(300, 500));
    QCOMPARE(view->cursor().shape(), Qt::PointingHandCursor);
    move(QPoint(530, rowTop[2] + 60));
    QCOMPARE(view->cursor().shape(), Qt::ArrowCursor);
}

void tst_TreeView::underlineFollowsPointer()
{
    QWidget *viewport = view->viewport();
    QCursor::setPos(viewport->mapToGlobal(QPoint(300, 550)));
    const QImage away = viewport->grab().toImage();
    QCursor::setPos(viewport->mapToGlobal(QPoint(530, rowTop[0] + 60)));
    const QImage over = viewport->grab().toImage();
    // An underline is an unbroken line under the link's last letters.
    auto underlined = [](const QImage &image, int top) {
        for (int y = top + 50; y < top + 80; ++y) {
            bool solid = true;
            for (int x = 506; x <= 531 && solid; ++x)
                solid = image.pixel(x, y) != qRgb(255, 255, 255);
            if (solid)
                return true;
        }
        return false;
    };
    QVERIFY(!underlined(away, rowTop[0]));
    QVERIFY(underlined(over, rowTop[0]));
    // Only the link under the pointer: the failed row's link stays plain.
    QVERIFY(!underlined(over, rowTop[1]));
}

void tst_TreeView::hoveredRowBackground()
{
    // Through the window, as the pointer really arrives.
    QWidget *viewport = view->viewport();
    auto moveTo = [&](const QPoint &position) {
        QTest::mouseMove(view->windowHandle(), viewport->mapTo(view.data(), position));
    };
    moveTo(QPoint(300, rowTop[1] + 60));
    QTRY_COMPARE(viewport->grab().toImage().pixel(5, rowTop[1] + 5), qRgb(250, 250, 250));
    const QImage image = viewport->grab().toImage();
    QCOMPARE(image.pixel(5, rowTop[0] + 5), qRgb(255, 255, 255));
    QCOMPARE(image.pixel(5, rowTop[2] + 5), qRgb(255, 255, 255));
    moveTo(QPoint(300, rowTop[2] + 60));
    QTRY_COMPARE(viewport->grab().toImage().pixel(5, rowTop[2] + 5), qRgb(250, 250, 250));
    QCOMPARE(viewport->grab().toImage().pixel(5, rowTop[1] + 5), qRgb(255, 255, 255));
}

void tst_TreeView::linkClicks_data()
{
    QTest::addColumn<QString>("linkClass");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QString>("action");
    QTest::newRow("redownload") << "RedownloadLink" << Qt::LeftButton << "redownloadfile";
    QTest::newRow("remove") << "RemoveLink" << Qt::LeftButton << "removedownloadfile";
    QTest::newRow("open folder") << "OpenInFolderLink" << Qt::LeftButton << "openfilefolder";
    QTest::newRow("right button") << "RemoveLink" << Qt::RightButton << QString();
    QTest::newRow("no button") << "OpenInFolderLink" << Qt::NoButton << QString();
}

void tst_TreeView::linkClicks()
{
    QFETCH(QString, linkClass);
    QFETCH(Qt::MouseButton, button);
    QFETCH(QString, action);
    QScopedPointer<ILink> link;
    if (linkClass == "RedownloadLink")
        link.reset(new RedownloadLink("k1", nullptr));
    else if (linkClass == "RemoveLink")
        link.reset(new RemoveLink("k1", nullptr));
    else
        link.reset(new OpenInFolderLink("k1", nullptr));
    QStringList calls;
    link->onClick(button, [&](const QString &a, const QString &k) { calls << a + "/" + k; });
    QCOMPARE(calls, action.isEmpty() ? QStringList() : QStringList{action + "/k1"});
    // Without a callback a click is harmless.
    link->onClick(Qt::LeftButton, ILink::Callback());
}

void tst_TreeView::keys_data()
{
    QTest::addColumn<int>("row");        // on screen: 0 the day, 1 done, 2 failed, 3 running
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("held");      // an auto-repeated press
    QTest::addColumn<QString>("signal");
    QTest::addColumn<bool>("dayOpen");
    QTest::newRow("Return opens the folder") << 1 << int(Qt::Key_Return) << 0 << false << "openFileFoler" << true;
    QTest::newRow("keypad Enter too") << 1 << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << false << "openFileFoler" << true;
    QTest::newRow("Space downloads again") << 2 << int(Qt::Key_Space) << 0 << false << "redownloadFile" << true;
    QTest::newRow("Return while downloading") << 3 << int(Qt::Key_Return) << 0 << false << QString() << true;
    QTest::newRow("Delete on a finished file") << 1 << int(Qt::Key_Delete) << 0 << false << "removeDownloadFile" << true;
    QTest::newRow("Delete while downloading") << 3 << int(Qt::Key_Delete) << 0 << false << "removeDownloadFile" << true;
    QTest::newRow("held Delete") << 1 << int(Qt::Key_Delete) << 0 << true << QString() << true;
    QTest::newRow("Ctrl+Return") << 1 << int(Qt::Key_Return) << int(Qt::ControlModifier) << false << QString() << true;
    QTest::newRow("Return closes a day") << 0 << int(Qt::Key_Return) << 0 << false << QString() << false;
    QTest::newRow("Delete on a day") << 0 << int(Qt::Key_Delete) << 0 << false << QString() << true;
}

void tst_TreeView::keys()
{
    QFETCH(int, row);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, held);
    QFETCH(QString, signal);
    QFETCH(bool, dayOpen);
    QSignalSpy open(view.data(), &TreeView::openFileFoler);
    QSignalSpy again(view.data(), &TreeView::redownloadFile);
    QSignalSpy remove(view.data(), &TreeView::removeDownloadFile);
    view->setCurrentIndex(view->indexAtVisibleRow(row));
    QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), QString(), held);
    QApplication::sendEvent(view.data(), &press);
    QCOMPARE(open.count(), signal == "openFileFoler" ? 1 : 0);
    QCOMPARE(again.count(), signal == "redownloadFile" ? 1 : 0);
    QCOMPARE(remove.count(), signal == "removeDownloadFile" ? 1 : 0);
    const QStringList keys = {"", "done", "failed", "running"};
    for (QSignalSpy *spy : {&open, &again, &remove}) {
        if (spy->count())
            QCOMPARE(spy->at(0).at(0).toString(), keys.at(row));
    }
    QCOMPARE(view->isExpanded(model->index(0, 0)), dayOpen);
}

void tst_TreeView::visibleRows()
{
    const QModelIndex day = model->index(0, 0);
    QCOMPARE(view->visibleRowCount(), 4);
    QCOMPARE(view->indexAtVisibleRow(0), day);
    QCOMPARE(view->indexAtVisibleRow(3), model->index(2, 0, day));
    QCOMPARE(view->indexAtVisibleRow(4), QModelIndex());
    QCOMPARE(view->visibleRow(model->index(1, 0, day)), 2);
    QCOMPARE(view->linkActions(model->index(1, 0, day)), QStringList({"redownloadfile", "removedownloadfile"}));
    QCOMPARE(view->linkActions(day), QStringList());
    view->collapse(day);
    QCOMPARE(view->visibleRowCount(), 1);
    QCOMPARE(view->indexAtVisibleRow(1), QModelIndex());
    QCOMPARE(view->visibleRow(model->index(1, 0, day)), -1);
}

// The current row is ringed in the host's title colour while the list has
// the keyboard, and only then.
void tst_TreeView::focusedRowRing()
{
    VellChatWBConfigure::SetTitleBG(QColor(10, 120, 200));
    QVERIFY(QTest::qWaitForWindowActive(view.data()));
    view->clearFocus();   // a window coming up gives it to the view
    view->setCurrentIndex(view->indexAtVisibleRow(2));
    QWidget *viewport = view->viewport();
    const QImage rest = viewport->grab().toImage();
    QCOMPARE(rest.pixel(0, rowTop[1] + 60), qRgb(255, 255, 255));

    view->setFocus(Qt::TabFocusReason);
    QImage focused = viewport->grab().toImage();
    for (int x : {0, 1, 598, 599})
        QCOMPARE(focused.pixel(x, rowTop[1] + 60), qRgb(10, 120, 200));
    QCOMPARE(focused.pixel(2, rowTop[1] + 60), qRgb(255, 255, 255));
    QCOMPARE(focused.pixel(0, rowTop[0] + 60), qRgb(255, 255, 255));   // not the other rows

    view->clearFocus();
    QCOMPARE(viewport->grab().toImage(), rest);
}

QTEST_MAIN(tst_TreeView)
#include "tst_treeview.moc"
