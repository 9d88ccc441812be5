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
// Features that web-app bundles built today for "the last two versions of
// each browser" use, each a script expression that is true when the engine
// has it, with the Chrome release that shipped it (engines are Chrome's).
struct Check
{
    const char *name;
    int chrome;
    const char *expression;
};
const Check kChecks[] = {
    {"<dialog> element", 37, "typeof HTMLDialogElement === 'function'"},
    {"String.prototype.replaceAll()", 85, "typeof ''.replaceAll === 'function'"},
    {"Promise.any()", 85, "typeof Promise.any === 'function'"},
    {"CSS aspect-ratio", 88, "CSS.supports('aspect-ratio: 1 / 1')"},
    {"import maps", 89, "HTMLScriptElement.supports && HTMLScriptElement.supports('importmap')"},
    {"Array.prototype.at()", 92, "typeof [].at === 'function'"},
    {"Object.hasOwn()", 93, "typeof Object.hasOwn === 'function'"},
    {"Error cause", 93, "new Error('', {cause: 1}).cause === 1"},
    {"Array.prototype.findLast()", 97, "typeof [].findLast === 'function'"},
    {"structuredClone()", 98, "typeof structuredClone === 'function'"},
    {"CSS @layer", 99, "typeof CSSLayerBlockRule === 'function'"},
    {"AbortSignal.timeout()", 103, "typeof AbortSignal.timeout === 'function'"},
    {"CSS :has()", 105, "CSS.supports('selector(:has(a))')"},
    {"CSS container queries", 105, "CSS.supports('container-type: inline-size')"},
    {"Array.prototype.toSorted()", 110, "typeof [].toSorted === 'function'"},
    {"CSS color-mix()", 111, "CSS.supports('color: color-mix(in srgb, red, blue)')"},
    {"CSS nesting", 112, "CSS.supports('selector(&)')"},
    {"popover attribute", 114, "HTMLElement.prototype.hasOwnProperty('popover')"},
    {"Object.groupBy()", 117, "typeof Object.groupBy === 'function'"},
    {"Promise.withResolvers()", 119, "typeof Promise.withResolvers === 'function'"},
    {"Set.prototype.union()", 122, "typeof new Set().union === 'function'"},
};
constexpr int kCount = int(sizeof kChecks / sizeof kChecks[0]);
}   // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWebEngineView view;
    view.resize(400, 300);
    QString script = QStringLiteral("JSON.stringify([");
    for (const auto &check : kChecks)
        script += QStringLiteral("(function () { try { return !!(%1); } catch (e) { return false; } })(),")
                      .arg(QLatin1String(check.expression));
    script += QStringLiteral("])");
    QObject::connect(&view, &QWebEngineView::loadFinished, &app, [&](bool) {
        view.page()->runJavaScript(script, [&](const QVariant &answer) {
            const QString list = answer.toString();
            std::printf("| feature | Chrome | Qt %s |\n|---|---|---|\n", qVersion());
            const QStringList values = list.mid(1, list.size() - 2).split(QLatin1Char(','));
            int has = 0;
            for (int i = 0; i < kCount; ++i) {
                const bool yes = values.value(i) == QLatin1String("true");
                has += yes;
                std::printf("| %s | %d | %s |\n", kChecks[i].name, kChecks[i].chrome, yes ? "yes" : "no");
            }
            std::printf("| **all** | | **%d / %d** |\n", has, kCount);
            app.quit();
        });
    });
    QTimer::singleShot(30000, &app, [&] { std::fprintf(stderr, "no answer from the page\n"); app.exit(1); });
    view.setHtml(QStringLiteral("<html><body>feature checks</body></html>"), QUrl(QStringLiteral("http://127.0.0.1/")));
    return app.exec();
}
