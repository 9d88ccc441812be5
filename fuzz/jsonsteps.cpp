// SPDX-License-Identifier: Apache-2.0
#include "fuzz/jsonsteps.h"

#include "config/configkeys.h"
#include "config/vellchatwbconfigure.h"
#include "downloads/modelitemfile.h"
#include "fuzz/fuzzharness.h"
#include "web/velljsbridge.h"

#include <QFontMetrics>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringList>

namespace {

VellJsBridge *s_bridge = nullptr;
QByteArray s_userInfoBody;
QString s_userInfoExpected;
bool s_userInfoObject = false;

// What a download record may turn an item into, whatever the record held.
void checkItem(ModelItemFile &file, const QByteArray &step)
{
    static const QRegularExpression sizeText(QStringLiteral("^[0-9]+\\.[0-9] (B|KB|MB|GB)$"));
    if (!file.fileSizeText().isEmpty() && !sizeText.match(file.fileSizeText()).hasMatch())
        FuzzHarness::fail("size text out of form", file.fileSizeText().toUtf8());
    if (!(file.downloadPercent() >= 0.0f && file.downloadPercent() <= 100.0f))
        FuzzHarness::fail("percentage outside 0 to 100", step);
    if (!file.downloadOffsetText().isEmpty() && !file.downloadOffsetText().endsWith(QLatin1String(" %")))
        FuzzHarness::fail("progress text out of form", file.downloadOffsetText().toUtf8());

    const QString name = file.name();
    const QFontMetrics metrics(VellChatWBConfigure::font());
    for (int width : {0, 1, 37, 160, 2000}) {
        const QString shown = file.nameText(width, metrics);
        if (shown != file.nameText(width, metrics))
            FuzzHarness::fail("elided name differs on a second call", name.toUtf8());
        if (name.size() <= 4 || shown == name)
            continue;
        // head of the name, "...", and always the last five characters
        const QString end = QStringLiteral("...") + name.right(5);
        if (!shown.endsWith(end) || !name.startsWith(shown.left(shown.size() - end.size())))
            FuzzHarness::fail("elided name is not head, '...', last five", shown.toUtf8());
    }
}

void runRecords(const QByteArray &body)
{
    const QJsonDocument doc = QJsonDocument::fromJson(body);
    QJsonArray records = doc.array();
    if (doc.isObject())
        records.append(doc.object());
    int done = 0;
    for (const QJsonValue &value : records) {
        if (++done > 64)
            break;
        const QJsonObject record = value.toObject();
        ModelItemFile file(record.value(QStringLiteral("key")).toString());
        file.fromJson(record);
        checkItem(file, body);
        // A second, partial record over the first, as progress answers come.
        file.fromJson(record);
        checkItem(file, body);
    }
}

// Called while the bridge waits: answer with the waiting key spliced into an
// object body, or hand over a body that is no object as it is and give up.
void answerWaitingPage(const QString &key)
{
    if (s_userInfoObject) {
        QJsonObject answer = QJsonDocument::fromJson(s_userInfoBody).object();
        answer.insert(QStringLiteral("key"), key);
        s_bridge->onCurrentUserInfo(QJsonDocument(answer).toJson(QJsonDocument::Compact));
    } else {
        s_bridge->onCurrentUserInfo(s_userInfoBody);
        s_bridge->cancelWait();
    }
}

}

namespace JsonSteps {

void start()
{
    s_bridge = new VellJsBridge(nullptr);
    QObject::connect(s_bridge, &VellJsBridge::currentUserInfo, s_bridge, &answerWaitingPage);
}

void forEachStep(const QByteArray &input, const std::function<void(uchar, const QByteArray &)> &fn)
{
    int from = 0;
    for (int steps = 0; steps < 16 && from < input.size(); ++steps) {
        int end = input.indexOf("\n--\n", from);
        if (end < 0)
            end = input.size();
        const QByteArray step = input.mid(from, end - from);
        from = end + 4;
        if (!step.isEmpty())
            fn(uchar(step[0]), step.mid(1));
    }
}

void records(const QByteArray &body)
{
    runRecords(body);
}

void userInfoWaiting(const QByteArray &body)
{
    const QJsonDocument doc = QJsonDocument::fromJson(body);
    s_userInfoObject = doc.isObject();
    s_userInfoBody = body;
    s_userInfoExpected = doc.object().value(QStringLiteral("info")).toString();
    const QString got = s_bridge->getCurrentUserInfo();
    const QString expected = s_userInfoObject ? s_userInfoExpected : QString();
    if (got != expected)
        FuzzHarness::fail("page got other user information than the answer held", got.toUtf8());
    if (s_bridge->isWaiting())
        FuzzHarness::fail("bridge still waiting after the call returned", body);
}

void userInfoIdle(const QByteArray &body)
{
    // Nobody asked: dropped, whatever it holds.
    s_bridge->onCurrentUserInfo(body);
}

void configValue(const QByteArray &body)
{
    if (body.isEmpty())
        return;
    // The browser's own table, so that a key added to it is fuzzed too.
    static const QStringList keys = ConfigKeys::keys() << QStringLiteral("icon");   // not a key: the twin of "Icon"
    ConfigKeys::apply(keys.at(uchar(body[0]) % keys.size()), body.mid(1));
}

}
