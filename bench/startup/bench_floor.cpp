// SPDX-License-Identifier: Apache-2.0
// The floor the browser's start-up is measured against: the page engine's own
// widget showing one page, and nothing of ours around it.
//   bench_floor URL
#include <QApplication>
#include <QUrl>
#include <QWebEngineView>

int main(int argc, char *argv[])
{
    // The same engine set-up the browser makes before its application exists,
    // including what keeps it from writing compiled shaders to ~/.cache: with
    // a warm cache there the floor would start some 70 ms sooner under Xvfb
    // than any program that leaves nothing on disk can.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QCoreApplication::setAttribute(Qt::AA_DisableShaderDiskCache);
    if (!qEnvironmentVariableIsSet("MESA_SHADER_CACHE_DISABLE") && !qEnvironmentVariableIsSet("MESA_SHADER_CACHE_DIR"))
        qputenv("MESA_SHADER_CACHE_DISABLE", "true");
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
