// SPDX-License-Identifier: Apache-2.0
// A host in a process of its own, so that tests can kill it outright or let it
// write floods without its own work counting against the browser's event loop.
//
//   faulthost <server name> [url]
//
// It listens on the server name; when the browser connects it prints
// "connected", sends a title and, with a url, "event:showUrl". Then it takes
// commands on standard input, one a line, and prints "done <command>" once
// the socket has handed every byte of a command to the system:
//   flood <n>     n messages: "config:title" with "flood <i>" for i = 0..n-1,
//                 every third one followed by "config:refreshText" "refresh <i>"
//   boxes <n>     n messages "event:showBoxMessage" with "box <i>"
//   big <n>       "config:titleLogoData" with n bytes of Base64 text (a small
//                 PNG and filler), then "config:title" "after big"
//   tail <n>      the same n bytes of Base64 text with no ';' after them, a
//                 message that never ends
//   end           a lone ";", which ends whatever message is open
//   close         hangs up and exits
// What the browser writes is read and dropped.

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSocketNotifier>
#include <cstdio>
#include <unistd.h>

namespace {

QByteArray message(const char *category, const char *subcommand, const QByteArray &payload)
{
    return QByteArray(category) + ':' + subcommand + ':' + payload.toBase64() + ';';
}

QByteArray boxes(int n)
{
    QByteArray out;
    for (int i = 0; i < n; ++i)
        out += message("event", "showBoxMessage", "box " + QByteArray::number(i));
    return out;
}

QByteArray flood(int n)
{
    QByteArray out;
    out.reserve(n * 48);
    for (int i = 0; i < n; ++i) {
        out += message("config", "title", "flood " + QByteArray::number(i));
        if (i % 3 == 0)
            out += message("config", "refreshText", "refresh " + QByteArray::number(i));
    }
    return out;
}

// Base64 text of exactly n characters (n a multiple of 4) that decodes to a
// 7 x 5 red PNG followed by filler, which the image reader never looks at
// once it has read the image's end.
QByteArray bigImage(int n)
{
    QImage image(7, 5, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    bytes.append(QByteArray(n / 4 * 3 - bytes.size(), 'x'));
    return bytes.toBase64();
}

void say(const QByteArray &line)
{
    std::fputs(line.constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fputs("usage: faulthost <server name> [url]\n", stderr);
        return 2;
    }
    const QString url = args.value(2);

    QLocalServer server;
    QLocalServer::removeServer(args.at(1));
    if (!server.listen(args.at(1))) {
        std::fprintf(stderr, "faulthost: cannot listen: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    say("listening");

    QLocalSocket *client = nullptr;
    QObject::connect(&server, &QLocalServer::newConnection, &app, [&] {
        QLocalSocket *s = server.nextPendingConnection();
        if (!s || client)
            return;
        client = s;
        QObject::connect(client, &QLocalSocket::readyRead, client, [client] { client->readAll(); });
        QObject::connect(client, &QLocalSocket::disconnected, &app, [] { QCoreApplication::exit(0); });
        client->write(message("config", "title", "fault host"));
        if (!url.isEmpty())
            client->write(message("event", "showUrl", url.toUtf8()));
        client->flush();
        say("connected");
    });

    auto send = [&](const QByteArray &bytes) {
        client->write(bytes);
        // Blocking here is fine: this process does nothing else meanwhile.
        while (client->bytesToWrite() > 0 && client->state() == QLocalSocket::ConnectedState)
            client->waitForBytesWritten(1000);
    };

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char chunk[256];
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n <= 0) {   // the test went away
            input.setEnabled(false);
            QCoreApplication::exit(0);
            return;
        }
        pending.append(chunk, int(n));
        int eol;
        while ((eol = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(eol).trimmed();
            pending.remove(0, eol + 1);
            const QList<QByteArray> words = line.split(' ');
            const QByteArray &command = words.value(0);
            const int count = words.value(1).toInt();
            if (!client) {
                say("no browser");
                continue;
            }
            if (command == "flood")
                send(flood(count));
            else if (command == "boxes")
                send(boxes(count));
            else if (command == "big")
                send("config:titleLogoData:" + bigImage(count) + ';' + message("config", "title", "after big"));
            else if (command == "tail")
                send(bigImage(count));
            else if (command == "end")
                send(";");
            else if (command == "close") {
                client->disconnectFromServer();
                QCoreApplication::exit(0);
            }
            say("done " + line);
        }
    });

    return app.exec();
}
