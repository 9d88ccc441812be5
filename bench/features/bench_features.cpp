// SPDX-License-Identifier: Apache-2.0
// Which newer web features the page engine of this build has: one page of
// checks, answered as a Markdown table (feature | yes/no). Run once per build
// to compare the engines; it asserts nothing.
#include <QApplication>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <cstdio>

namespace {
// Each check is a script expression that is true when the engine has it.
const char *const kChecks[][2] = {
    {"structuredClone()", "typeof structuredClone === 'function'"},
    {"Array.prototype.at()", "typeof [].at === 'function'"},
    {"Object.hasOwn()", "typeof Object.hasOwn === 'function'"},
    {"CSS :has()", "CSS.supports('selector(:has(a))')"},
    {"CSS container queries", "CSS.supports('container-type: inline-size')"},
    {"CSS aspect-ratio", "CSS.supports('aspect-ratio: 1 / 1')"},
    {"<dialog> element", "typeof HTMLDialogElement === 'function'"},
    {"AbortSignal.timeout()", "typeof AbortSignal.timeout === 'function'"},
    {"Error cause", "new Error('', {cause: 1}).cause === 1"},
    {"String.prototype.replaceAll()", "typeof ''.replaceAll === 'function'"},
};
}   // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWebEngineView view;
    view.resize(400, 300);
    QString script = QStringLiteral("JSON.stringify([");
    for (const auto &check : kChecks)
        script += QStringLiteral("(function () { try { return !!(%1); } catch (e) { return false; } })(),")
                      .arg(QLatin1String(check[1]));
    script += QStringLiteral("])");
    QObject::connect(&view, &QWebEngineView::loadFinished, &app, [&](bool) {
        view.page()->runJavaScript(script, [&](const QVariant &answer) {
            const QString list = answer.toString();
            std::printf("| feature | Qt %s |\n|---|---|\n", qVersion());
            const QStringList values = list.mid(1, list.size() - 2).split(QLatin1Char(','));
            for (int i = 0; i < int(sizeof kChecks / sizeof kChecks[0]); ++i)
                std::printf("| %s | %s |\n", kChecks[i][0], values.value(i) == QLatin1String("true") ? "yes" : "no");
            app.quit();
        });
    });
    QTimer::singleShot(30000, &app, [&] { std::fprintf(stderr, "no answer from the page\n"); app.exit(1); });
    view.setHtml(QStringLiteral("<html><body>feature checks</body></html>"), QUrl(QStringLiteral("http://127.0.0.1/")));
    return app.exec();
}
