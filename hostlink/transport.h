#pragma once

#include <QByteArray>
#include <QLocalSocket>
#include <QMutex>
#include <QObject>
#include <QStringList>

// The one connection to the host application: frames the incoming byte
// stream into host messages, dispatches them, writes every outgoing message
// and ends the process when the link ends.
class transport : public QObject
{
    Q_OBJECT
public:
    static transport *shareInstance();

    void init();
    void connectToVell(QString name);

    void currentUserInfo(QString requestID);
    void getWebfileList(QString key);
    void getWebfileDownloadOffset(QString key, QStringList fileList);
    void downloadFile(QString key, QString url, QString name);
    void redownloadFile(QString key, QString fileKey);
    void removeDownloadFile(QString key, QString fileKey);
    void removeAllDownloadFile(QString key);
    void openFileFoler(QString fileKey);
    void savePosition(QString position);
    void onReceiveLog(QString msg);
    void goToChannel(QString channelId);
    void openOutside();
    void showChannel();
    void shareArtile();
    void storeToVell();
    void refresh();
    // Hands what is still buffered to the host now, as the process is ending.
    void flush();

    // One read pass over bytes that arrived; the socket handler feeds it, and
    // so can anything that wants to drive the dispatcher from memory.
    void processIncoming(const QByteArray &bytes);
    QByteArray pendingTail() const { return buffer; }
    void clearPending() { buffer.clear(); ready.clear(); readyFrom = 0; }

    void parseCmd(QString message);
    void parseConfigCmd(QString key, QString value);
    void parseEventCmd(QString subcommand, QString payload);
    void parseIQCmd(QString subcommand, QString payload);
    void parseWebFileCmd(QString subcommand, QString payload);
    void parseFeedbackCmd(QString subcommand, QString payload);

    // Where outgoing bytes go instead of the socket; tests and benchmarks use it.
    void setWriteSink(std::function<void(const QByteArray &)> sink) { writeSink = std::move(sink); }

public slots:
    void socketConnected();
    void socketDisconnected();
    void socketError(QLocalSocket::LocalSocketError e);
    void socketWritten(qint64 bytes);
    void socketReading();

private:
    transport() = default;
    void writeIQ(QString subcommand, QString payload);
    void writeWebfile(QString subcommand, QString payload);
    void writeFeedback(QString subcommand, QString payload);
    void write(const QByteArray &bytes);
    // What pages send (log lines, their messages) goes through here and is
    // dropped while the host leaves too much of it unread; everything else
    // is written whatever waits.
    void writeFromPage(const QByteArray &bytes);
    // True once size more bytes fit the budget; waits while the host keeps
    // taking what is written, and gives up when it stalls.
    bool roomForPage(qint64 size);
    void reportDropped();
    qint64 unwritten() const;
    void frameIncoming(const QByteArray &bytes);
    bool dispatchReady(int limit);
    // One message cut into its fields; the payload is a range of its bytes.
    struct Fields
    {
        enum Category { None, Config, Event, WebFile, IQ } category = None;
        QString subcommand;
        bool full = false;   // a payload field is present, if empty
        int payloadFrom = 0;
        int payloadTo = 0;
    };
    static Fields splitMessage(const char *data, int size);
    // The same dispatch as parseCmd, straight from the bytes of one message,
    // so a large value is never copied into text and back; the second form
    // takes the text holding the message (from-to) and decodes over it.
    void parseMessage(const char *data, int size);
    void parseMessage(QByteArray &&frame, int from, int to);
    void dispatchMessage(const Fields &fields, const QByteArray &decoded);
    void onConfig(const QString &key, const QByteArray &decoded);
    void onEvent(const QString &subcommand, const QByteArray &decoded);
    void onIQ(const QString &subcommand, const QByteArray &decoded);
    void onWebFile(const QString &subcommand, const QByteArray &decoded);
    void endLink();

    QLocalSocket socket;
    QMutex bufferLock;
    QByteArray buffer;
    // Whole messages read but not dispatched yet, from readyFrom on.
    QByteArray ready;
    int readyFrom = 0;
    std::function<void(const QByteArray &)> writeSink;
    bool ending = false;
    qint64 droppedFromPages = 0;   // since the host last heard about it
};
