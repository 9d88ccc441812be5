// SPDX-License-Identifier: Apache-2.0
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>
#include <functional>

// No two of our classes include each other, however many files lie between
// them: a loop means neither can be understood, tested or moved alone. A class
// is its .h, its .cpp and the .cpp files named after it ("x_host.cpp" is x's).
// One pair may know each other, as in the toolkit's own examples: a popup
// window and the view that opens it.
namespace {

using Graph = QMap<QString, QSet<QString>>;   // class -> the classes it includes

const QStringList rooms{"wire",      "resources", "config", "widgets", "web", "downloads",
                        "hostlink",  "window",    "app",    "hostlib", "host"};
const QList<QStringList> allowedPairs{{"web/popupwindow", "web/vellchatwebview"}};

// Each allowed pair counts as one class, so a loop through it and others still shows.
QString merged(const QString &name)
{
    for (const QStringList &pair : allowedPairs) {
        if (pair.contains(name))
            return pair.join(QLatin1Char('+'));
    }
    return name;
}

// One loop per group of classes that reach each other, as a path back to its
// first class; the groups by Tarjan's algorithm.
QStringList cycles(const Graph &graph)
{
    QMap<QString, int> index;
    QMap<QString, int> low;
    QStringList stack;
    QStringList found;
    int visited = 0;
    std::function<void(const QString &)> visit = [&](const QString &v) {
        index[v] = low[v] = visited++;
        stack << v;
        for (const QString &w : graph.value(v)) {
            if (!index.contains(w)) {
                visit(w);
                low[v] = qMin(low[v], low[w]);
            } else if (stack.contains(w)) {
                low[v] = qMin(low[v], index[w]);
            }
        }
        if (low[v] != index[v])
            return;
        QSet<QString> group;
        QString w;
        do {
            w = stack.takeLast();
            group << w;
        } while (w != v);
        if (group.size() < 2)
            return;
        // The shortest way from v back to v inside the group.
        QMap<QString, QString> cameFrom;
        QStringList queue{v};
        while (!queue.isEmpty() && !cameFrom.contains(v)) {
            const QString at = queue.takeFirst();
            for (const QString &next : graph.value(at)) {
                if (group.contains(next) && !cameFrom.contains(next)) {
                    cameFrom[next] = at;
                    queue << next;
                }
            }
        }
        QStringList path{v};
        for (QString at = cameFrom.value(v); at != v; at = cameFrom.value(at))
            path.prepend(at);
        path.prepend(v);
        found << path.join(QStringLiteral(" -> "));
    };
    for (auto it = graph.cbegin(); it != graph.cend(); ++it) {
        if (!index.contains(it.key()))
            visit(it.key());
    }
    return found;
}

Graph graphOf(const QStringList &edges)
{
    Graph graph;
    for (const QString &edge : edges) {
        const QStringList ends = edge.split(QStringLiteral("->"));
        const QString from = merged(ends.at(0).trimmed());
        const QString to = merged(ends.at(1).trimmed());
        if (from != to)
            graph[from] << to;
    }
    return graph;
}

}

class tst_IncludeCycles : public QObject
{
    Q_OBJECT
private slots:
    void findsCycles_data();
    void findsCycles();
    void noCyclesInTheTree();
};

void tst_IncludeCycles::findsCycles_data()
{
    QTest::addColumn<QStringList>("edges");
    QTest::addColumn<QStringList>("cycles");
    QTest::newRow("a chain") << QStringList{"w/a -> w/b", "w/b -> w/c"} << QStringList();
    QTest::newRow("two include each other") << QStringList{"w/a -> w/b", "w/b -> w/a"} << QStringList{"w/a -> w/b -> w/a"};
    QTest::newRow("three, the short way named") << QStringList{"w/a -> w/b", "w/b -> w/c", "w/c -> w/a", "w/b -> w/a"}
                                                << QStringList{"w/a -> w/b -> w/a"};
    QTest::newRow("the popup and its view") << QStringList{"web/popupwindow -> web/vellchatwebview", "web/vellchatwebview -> web/popupwindow"}
                                            << QStringList();
    QTest::newRow("a third class through the pair")
        << QStringList{"web/popupwindow -> web/vellchatwebview", "web/vellchatwebview -> w/c", "w/c -> web/popupwindow"}
        << QStringList{"w/c -> web/popupwindow+web/vellchatwebview -> w/c"};
}

void tst_IncludeCycles::findsCycles()
{
    QFETCH(QStringList, edges);
    QTEST(cycles(graphOf(edges)), "cycles");
}

void tst_IncludeCycles::noCyclesInTheTree()
{
    const QRegularExpression include(QStringLiteral("^\\s*#\\s*include\\s+\"([a-z]+/[^\"]+)\""),
                                     QRegularExpression::MultilineOption);
    const QDir root(QStringLiteral(WB_SOURCE_DIR));
    QMap<QString, QStringList> includes;   // file, from the root -> what it includes
    for (const QString &room : rooms) {
        QDirIterator it(root.filePath(room), {"*.h", "*.cpp", "*.h.in"}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
            const QString text = QString::fromUtf8(file.readAll());
            QStringList &targets = includes[root.relativeFilePath(file.fileName())];
            for (auto m = include.globalMatch(text); m.hasNext();)
                targets << m.next().captured(1);
        }
    }
    QVERIFY(includes.size() > 100);
    // The class a file belongs to: its name without the extension, or
    // without a "_part" when the class's header is there.
    auto owner = [&includes](const QString &file) {
        QString name = file.left(file.indexOf(QLatin1Char('.'), file.lastIndexOf(QLatin1Char('/'))));
        const int part = name.lastIndexOf(QLatin1Char('_'));
        if (!includes.contains(name + ".h") && part > name.lastIndexOf(QLatin1Char('/'))
            && includes.contains(name.left(part) + ".h"))
            name = name.left(part);
        return name;
    };
    QStringList edges;
    for (auto it = includes.cbegin(); it != includes.cend(); ++it) {
        for (const QString &target : it.value())
            edges << owner(it.key()) + " -> " + owner(target);
    }
    const QStringList found = cycles(graphOf(edges));
    QVERIFY2(found.isEmpty(), qPrintable(found.join(QStringLiteral("; "))));
}

QTEST_GUILESS_MAIN(tst_IncludeCycles)
#include "tst_includecycles.moc"
