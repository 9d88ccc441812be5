// SPDX-License-Identifier: Apache-2.0
// A window with one file to drag, for tests that drop files on the browser:
// dragsource <file> <title>. A press and a move on it start the drag.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

class Source : public QWidget
{
public:
    explicit Source(const QString &file) : path(file) {}
protected:
    void mousePressEvent(QMouseEvent *event) override { pressed = event->pos(); }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (!(event->buttons() & Qt::LeftButton) || (event->pos() - pressed).manhattanLength() < QApplication::startDragDistance())
            return;
        auto *data = new QMimeData;
        data->setUrls({QUrl::fromLocalFile(path)});
        auto *drag = new QDrag(this);
        drag->setMimeData(data);
        drag->exec(Qt::CopyAction);
    }
private:
    QString path;
    QPoint pressed;
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    Source source(QString::fromLocal8Bit(argv[1]));
    source.setWindowTitle(QString::fromLocal8Bit(argv[2]));
    source.setFixedSize(200, 150);
    source.move(800, 100);
    source.show();
    return app.exec();
}
