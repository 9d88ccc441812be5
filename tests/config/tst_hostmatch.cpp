// SPDX-License-Identifier: Apache-2.0
#include "config/hostmatch.h"

#include <QUrl>
#include <QtTest>

// Which page addresses the hardening lists let through: the access token by
// host name, the script bridge by origin.
class tst_HostMatch : public QObject
{
    Q_OBJECT
private slots:
    void hostListed_data();
    void hostListed();
    void originListed_data();
    void originListed();
};

void tst_HostMatch::hostListed_data()
{
    QTest::addColumn<QString>("list");   // as the host sends it
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("listed");
    QTest::newRow("exact") << "example.org" << "https://example.org/a" << true;
    QTest::newRow("any port, any scheme") << "example.org" << "ws://example.org:9000/" << true;
    QTest::newRow("other host") << "example.org" << "https://example.com/" << false;
    QTest::newRow("sub-domain of an exact name") << "example.org" << "https://www.example.org/" << false;
    QTest::newRow("suffix is not a sub-domain") << "example.org" << "https://badexample.org/" << false;
    QTest::newRow("upper case in the list") << "EXAMPLE.Org" << "https://example.org/" << true;
    QTest::newRow("upper case in the address") << "example.org" << "https://WWW.EXAMPLE.ORG/" << false;
    QTest::newRow("upper case address, exact") << "example.org" << "https://EXAMPLE.ORG/" << true;
    QTest::newRow("trailing dot in the list") << "example.org." << "https://example.org/" << true;
    QTest::newRow("trailing dot in the address") << "example.org" << "https://example.org./" << true;
    QTest::newRow("wildcard, sub-domain") << "*.example.org" << "https://a.example.org/" << true;
    QTest::newRow("wildcard, deeper") << "*.example.org" << "https://a.b.example.org/" << true;
    QTest::newRow("wildcard, not the name itself") << "*.example.org" << "https://example.org/" << false;
    QTest::newRow("wildcard, suffix without dot") << "*.example.org" << "https://aexample.org/" << false;
    QTest::newRow("wildcard and exact") << "*.example.org, example.org" << "https://example.org/" << true;
    QTest::newRow("IDN in the list") << QString::fromUtf8("bücher.example") << "https://xn--bcher-kva.example/" << true;
    QTest::newRow("IDN in both") << QString::fromUtf8("BÜCHER.example") << QString::fromUtf8("https://bücher.example/") << true;
    QTest::newRow("IDN look-alike") << QString::fromUtf8("bücher.example") << "https://bucher.example/" << false;
    QTest::newRow("IPv4") << "127.0.0.1" << "http://127.0.0.1:8080/" << true;
    QTest::newRow("IPv4 is not localhost") << "127.0.0.1" << "http://localhost:8080/" << false;
    QTest::newRow("localhost is not IPv4") << "localhost" << "http://127.0.0.1/" << false;
    QTest::newRow("IPv6 with brackets") << "[::1]" << "http://[::1]:8080/" << true;
    QTest::newRow("IPv6 without, long form") << "0:0:0:0:0:0:0:1" << "http://[::1]/" << true;
    QTest::newRow("IPv4 mapped is another address") << "127.0.0.1" << "http://[::ffff:127.0.0.1]/" << false;
    QTest::newRow("empty items skipped") << ", ,example.org,," << "https://example.org/" << true;
    QTest::newRow("blanks around items") << "  a.org ,\texample.org " << "https://example.org/" << true;
    QTest::newRow("no host in the address") << "example.org" << "about:blank" << false;
    QTest::newRow("file address") << "example.org" << "file:///tmp/x.html" << false;
    QTest::newRow("user info does not count") << "example.org" << "https://example.org@evil.test/" << false;
}

void tst_HostMatch::hostListed()
{
    QFETCH(QString, list);
    QFETCH(QString, url);
    QStringList patterns;
    QVERIFY(HostMatch::parseHostList(list, &patterns));
    QTEST(HostMatch::hostListed(patterns, QUrl(url)), "listed");
}

void tst_HostMatch::originListed_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("listed");
    QTest::newRow("exact") << "https://example.org" << "https://example.org/page?q=1#f" << true;
    QTest::newRow("slash after the origin") << "https://example.org/" << "https://example.org/page" << true;
    QTest::newRow("other scheme") << "https://example.org" << "http://example.org/" << false;
    QTest::newRow("other port") << "https://example.org" << "https://example.org:8443/" << false;
    QTest::newRow("default port written") << "https://example.org:443" << "https://example.org/" << true;
    QTest::newRow("default port in the address") << "http://example.org" << "http://example.org:80/" << true;
    QTest::newRow("port listed") << "http://127.0.0.1:8080" << "http://127.0.0.1:8080/x" << true;
    QTest::newRow("port listed, other port") << "http://127.0.0.1:8080" << "http://127.0.0.1:8081/x" << false;
    QTest::newRow("IPv4 is not localhost") << "http://127.0.0.1:8080" << "http://localhost:8080/" << false;
    QTest::newRow("upper-case scheme and host") << "HTTPS://Example.ORG" << "https://example.org/" << true;
    QTest::newRow("trailing dot") << "https://example.org." << "https://example.org./" << true;
    QTest::newRow("sub-domain") << "https://example.org" << "https://www.example.org/" << false;
    QTest::newRow("IDN") << QString::fromUtf8("https://bücher.example") << "https://xn--bcher-kva.example/" << true;
    QTest::newRow("IPv6") << "http://[::1]:8080" << "http://[0:0::1]:8080/" << true;
    QTest::newRow("one of several") << "https://a.org, http://127.0.0.1:5000" << "http://127.0.0.1:5000/" << true;
    QTest::newRow("empty items skipped") << ",https://a.org,," << "https://a.org/" << true;
    QTest::newRow("no host") << "https://a.org" << "about:blank" << false;
    QTest::newRow("data address") << "https://a.org" << "data:text/html,hi" << false;
}

void tst_HostMatch::originListed()
{
    QFETCH(QString, list);
    QFETCH(QString, url);
    QStringList origins;
    QVERIFY(HostMatch::parseOriginList(list, &origins));
    QTEST(HostMatch::originListed(origins, QUrl(url)), "listed");
}

QTEST_MAIN(tst_HostMatch)
#include "tst_hostmatch.moc"
