// SPDX-License-Identifier: Apache-2.0
// The floor the browser's start-up is measured against: the page engine's own
// widget showing one page, and nothing of ours around it.
//   bench_floor URL
#include <QApplication>
#include <QUrl>
#include <QWebEngineView>

int main(int argc, char *argv[])
{
    // The same engine set-up the browser makes before its application exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    if (argc != 2)
        return 2;
    QWebEngineView view;
    // The browser's first window is 520 x 850 when the host names no size.
    view.resize(520, 850);
    view.setUrl(QUrl(QString::fromUtf8(argv[1])));
    view.show();
    return app.exec();
}
