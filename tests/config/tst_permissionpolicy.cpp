// SPDX-License-Identifier: Apache-2.0
#include "config/permissionpolicy.h"

#include <QtTest>

using Rule = PermissionPolicy::Rule;
Q_DECLARE_METATYPE(PermissionPolicy::Rule)

class tst_PermissionPolicy : public QObject
{
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void decide_data();
    void decide();
};

void tst_PermissionPolicy::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("read");
    QTest::addColumn<QStringList>("items");   // the normal form; untouched ("x=y") when not read
    QTest::newRow("empty: every default") << "" << true << QStringList();
    QTest::newRow("one item") << "camera=allow" << true << QStringList{"camera=allow"};
    QTest::newRow("all six, blanks and case")
        << " Camera = ASK, microphone=allow ,screen=host,notifications=deny,geolocation=deny,mouselock=deny"
        << true
        << QStringList{"camera=ask", "microphone=allow", "screen=host", "notifications=deny", "geolocation=deny", "mouselock=deny"};
    QTest::newRow("later item wins") << "camera=deny,screen=ask,camera=allow" << true << QStringList{"screen=ask", "camera=allow"};
    QTest::newRow("empty items skipped") << ",camera=deny,," << true << QStringList{"camera=deny"};
    QTest::newRow("unknown feature spoils all") << "camera=allow,usb=allow" << false << QStringList{"x=y"};
    QTest::newRow("unknown rule") << "camera=maybe" << false << QStringList{"x=y"};
    QTest::newRow("no rule") << "camera" << false << QStringList{"x=y"};
    QTest::newRow("empty rule") << "camera=" << false << QStringList{"x=y"};
}

void tst_PermissionPolicy::parse()
{
    QFETCH(QString, text);
    QStringList items{"x=y"};
    QTEST(PermissionPolicy::parse(text, &items), "read");
    QTEST(items, "items");
}

void tst_PermissionPolicy::decide_data()
{
    QTest::addColumn<QString>("policy");
    QTest::addColumn<QStringList>("features");
    QTest::addColumn<Rule>("rule");
    QTest::newRow("camera by default") << "" << QStringList{"camera"} << Rule::Ask;
    QTest::newRow("notifications by default") << "" << QStringList{"notifications"} << Rule::Ask;
    QTest::newRow("pointer lock by default") << "" << QStringList{"mouselock"} << Rule::Deny;
    QTest::newRow("pointer lock allowed") << "mouselock=allow" << QStringList{"mouselock"} << Rule::Allow;
    QTest::newRow("screen to the host") << "screen=host" << QStringList{"screen"} << Rule::Host;
    QTest::newRow("other features keep theirs") << "screen=host" << QStringList{"geolocation"} << Rule::Ask;
    QTest::newRow("both allowed") << "camera=allow,microphone=allow" << QStringList{"camera", "microphone"} << Rule::Allow;
    QTest::newRow("one allowed, one asked") << "microphone=allow" << QStringList{"camera", "microphone"} << Rule::Ask;
    QTest::newRow("host beats ask") << "camera=host" << QStringList{"camera", "microphone"} << Rule::Host;
    QTest::newRow("deny beats host") << "camera=host,microphone=deny" << QStringList{"camera", "microphone"} << Rule::Deny;
    QTest::newRow("unknown feature") << "camera=allow" << QStringList{"usb"} << Rule::Deny;
    QTest::newRow("no feature at all") << "" << QStringList() << Rule::Deny;
}

void tst_PermissionPolicy::decide()
{
    QFETCH(QString, policy);
    QFETCH(QStringList, features);
    QStringList items;
    QVERIFY(PermissionPolicy::parse(policy, &items));
    QTEST(PermissionPolicy::rule(items, features), "rule");
}

QTEST_APPLESS_MAIN(tst_PermissionPolicy)
#include "tst_permissionpolicy.moc"
