// SPDX-License-Identifier: Apache-2.0
#include "web/scratchfolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

// The browser's private folder in the temporary folder, and what the next
// start removes of the folders that killed runs left there.
class tst_ScratchFolder : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void removeLeftovers_data();
    void removeLeftovers();
    void ownFolderLivesWithItsObject();
private:
    // A folder as a run leaves it: a lock file and a page's download.
    QString runFolder(const QString &name);
    QScopedPointer<QTemporaryDir> temp;
    int heldLock = -1;
};

void tst_ScratchFolder::init()
{
    temp.reset(new QTemporaryDir);
    QVERIFY(temp->isValid());
}

void tst_ScratchFolder::cleanup()
{
    if (heldLock >= 0)
        ::close(heldLock);
    heldLock = -1;
}

QString tst_ScratchFolder::runFolder(const QString &name)
{
    const QString folder = temp->filePath(name);
    QDir().mkpath(folder + "/page-downloads/1");
    QFile lock(folder + "/lock");
    lock.open(QIODevice::WriteOnly);
    QFile made(folder + "/page-downloads/1/table.csv");
    made.open(QIODevice::WriteOnly);
    made.write("a,b\n");
    return folder;
}

void tst_ScratchFolder::removeLeftovers_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("removed");
    QTest::newRow("a killed run's folder") << "dead" << true;
    QTest::newRow("a live run's folder") << "live" << false;
    QTest::newRow("no lock file: being made") << "unlocked" << false;
    QTest::newRow("the lock file is a link") << "lock link" << false;
    QTest::newRow("a link to a killed run's folder") << "folder link" << false;
    QTest::newRow("another program's folder") << "other name" << false;
    QTest::newRow("another user's folder") << "other user" << false;
}

void tst_ScratchFolder::removeLeftovers()
{
    QFETCH(QString, kind);
    QFETCH(bool, removed);
    QString name = "channel-web-browser-aB3dE9";
    QString folder;
    if (kind == "other name") {
        name = "channel-web-viewer-aB3dE9";
        folder = runFolder(name);
    } else if (kind == "folder link") {
        folder = runFolder("elsewhere");
        QVERIFY(QFile::link(folder, temp->filePath(name)));
    } else {
        folder = runFolder(name);
    }
    if (kind == "live") {
        // Another process's lock: a lock of another open file conflicts alike.
        heldLock = ::open(QFile::encodeName(folder + "/lock").constData(), O_RDONLY | O_CLOEXEC);
        QVERIFY(heldLock >= 0);
        QCOMPARE(::flock(heldLock, LOCK_EX | LOCK_NB), 0);
    } else if (kind == "unlocked") {
        QVERIFY(QFile::remove(folder + "/lock"));
    } else if (kind == "lock link") {
        QVERIFY(QFile::remove(folder + "/lock"));
        QFile target(temp->filePath("target"));
        QVERIFY(target.open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(target.fileName(), folder + "/lock"));
    } else if (kind == "other user") {
        if (::getuid() != 0)
            QSKIP("only root can give a folder to another user");
        QCOMPARE(::chown(QFile::encodeName(folder).constData(), 65534, 65534), 0);
    }
    QCOMPARE(ScratchFolder::removeLeftovers(temp->path()), removed ? 1 : 0);
    QCOMPARE(QFileInfo::exists(temp->filePath(name)), !removed);
    // What a folder that stays holds stays too, a link's target included.
    QCOMPARE(QFileInfo::exists(folder + "/page-downloads/1/table.csv"), !removed);
}

// The folder is made closed to others and locked at once, survives the next
// start's clean-up while its object lives, and goes with it.
void tst_ScratchFolder::ownFolderLivesWithItsObject()
{
    QString path;
    {
        ScratchFolder own(temp->path());
        path = own.path();
        QVERIFY(!path.isEmpty());
        QVERIFY(QFileInfo(path).fileName().startsWith("channel-web-browser-"));
        QCOMPARE(int(QFileInfo(path).permissions()), 0x7700);
        QCOMPARE(QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"lock"});
        QCOMPARE(ScratchFolder::removeLeftovers(temp->path()), 0);
        QVERIFY(QFileInfo::exists(path));
    }
    QVERIFY(!QFileInfo::exists(path));
}

QTEST_GUILESS_MAIN(tst_ScratchFolder)
#include "tst_scratchfolder.moc"
