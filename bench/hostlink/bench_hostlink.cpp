// SPDX-License-Identifier: Apache-2.0
// Feeds the real read pass and dispatcher from memory and prints what it costs.
#include "config/vellchatwbconfigure.h"
#include "hostlink/transport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>
#include <vector>

static const int kRead = 64 * 1024;

static qint64 feedInReads(const QByteArray &stream, int readSize)
{
    transport *t = transport::shareInstance();
    t->clearPending();
    QElapsedTimer timer;
    timer.start();
    for (int at = 0; at < stream.size(); at += readSize)
        t->processIncoming(QByteArray::fromRawData(stream.constData() + at, std::min<qsizetype>(readSize, stream.size() - at)));
    return timer.nsecsElapsed();
}

static double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    VellChatWBConfigure::init();

    // Small frames: a realistic mix of config values.
    const QByteArray frames[] = {
        "config:title:VmVsbCBDaGFubmVs;",
        "config:titleHeight:NDA=;",
        "config:titleBackgroundColor:MjU1LDI1NSwyNTUsMjU1;",
        "config:refreshText:UmVmcmVzaA==;",
        "config:windowsRect:MTAwLDUwLDgwMCw2MDAsMA==;",
        "config:accessToken:YWJjZGVmMDEyMzQ1Njc4OQ==;",
    };
    QByteArray small;
    const int smallCount = 600000;
    for (int i = 0; i < smallCount; ++i)
        small += frames[i % 6];
    std::vector<double> rates;
    for (int run = 0; run < 5; ++run) {
        const qint64 ns = feedInReads(small, kRead);
        rates.push_back(smallCount / (ns / 1e9));
    }
    std::printf("small config frames, 64 KiB reads: %.0f frames/s (median of 5; target >= 500000)\n", median(rates));

    // One 16 MiB frame: a large image value, delivered in 64 KiB reads and in one read.
    QByteArray raw(12 * 1024 * 1024, Qt::Uninitialized);
    for (int i = 0; i < raw.size(); ++i)
        raw[i] = char(QRandomGenerator::global()->bounded(256));
    const QByteArray big = "config:titleLogoData:" + raw.toBase64() + ";";
    std::vector<double> chunked, whole;
    for (int run = 0; run < 5; ++run) {
        chunked.push_back(feedInReads(big, kRead) / 1e6);
        whole.push_back(feedInReads(big, big.size()) / 1e6);
    }
    const double c = median(chunked), w = median(whole);
    std::printf("16 MiB frame: 64 KiB reads %.1f ms, one read %.1f ms, ratio %.2f (target <= 2.0)\n", c, w, c / w);
    return 0;
}
