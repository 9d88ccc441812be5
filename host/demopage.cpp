// SPDX-License-Identifier: Apache-2.0
#include "host/demopage.h"

namespace demopage {

QString escape(const QString &text)
{
    return text.toHtmlEscaped();
}

QString sizeText(qint64 bytes)
{
    if (bytes < 1024)
        return QStringLiteral("%1 B").arg(bytes);
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 KB").arg(double(bytes) / 1024, 0, 'f', 1);
    return QStringLiteral("%1 MB").arg(double(bytes) / (1024 * 1024), 0, 'f', 1);
}

static const char kHead[] = R"HTML(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Reference host demo</title>
<style>
  * { box-sizing: border-box; }
  body { margin: 0; font: 14px/1.45 "DejaVu Sans", "Liberation Sans", Arial, sans-serif; color: #1e2a36; background: #eef2f7; }
  header { background: linear-gradient(90deg, #266ebe, #3b8ad9); color: #fff; padding: 18px 28px; }
  header h1 { margin: 0; font-size: 22px; font-weight: 600; }
  header p { margin: 4px 0 0; opacity: .9; }
  main { display: grid; grid-template-columns: repeat(auto-fit, minmax(340px, 1fr)); gap: 18px; padding: 20px 28px 28px; align-items: start; }
  .stack { display: flex; flex-direction: column; gap: 18px; }
  section { background: #fff; border-radius: 10px; padding: 16px 18px; box-shadow: 0 1px 3px rgba(20, 40, 70, .12); }
  section h2 { margin: 0 0 10px; font-size: 16px; color: #266ebe; }
  table { width: 100%; border-collapse: collapse; font-size: 12.5px; }
  td { padding: 4px 6px; border-bottom: 1px solid #e6ebf1; vertical-align: top; word-break: break-all; }
  td:first-child { color: #5a6b7c; white-space: nowrap; word-break: normal; width: 1%; }
  tr.token td { background: #fff6d6; font-weight: 600; }
  .buttons { display: flex; flex-wrap: wrap; gap: 8px; margin-bottom: 10px; }
  button { border: 0; border-radius: 6px; padding: 8px 14px; background: #266ebe; color: #fff; font: inherit; cursor: pointer; }
  button:hover { background: #1d5a9e; }
  #bridge-state { font-size: 12.5px; margin-bottom: 8px; }
  #bridge-state.ok { color: #2e7d32; }
  #bridge-state.off { color: #b23b3b; }
  #output { background: #f5f8fb; border-radius: 6px; padding: 8px 10px; min-height: 48px; font: 12.5px/1.5 "DejaVu Sans Mono", monospace; white-space: pre-wrap; }
  ul.files { list-style: none; margin: 0; padding: 0; }
  ul.files li { display: flex; align-items: center; gap: 10px; padding: 5px 0; border-bottom: 1px solid #eef1f5; }
  ul.files li:last-child { border-bottom: 0; }
  .badge { flex: 0 0 46px; text-align: center; border-radius: 5px; padding: 3px 0; font-size: 11px; font-weight: 700; color: #fff; text-transform: uppercase; }
  .pdf { background: #d64541; } .docx { background: #2b5fb4; } .xlsx { background: #1f8a4c; } .zip { background: #8a6d3b; }
  .png { background: #8e44ad; } .mp3 { background: #e67e22; } .txt { background: #607d8b; } .bin { background: #34495e; }
  ul.files a { color: #1e2a36; font-weight: 600; text-decoration: none; }
  ul.files a:hover { color: #266ebe; text-decoration: underline; }
  .note { color: #6b7a89; font-size: 12.5px; margin-left: auto; text-align: right; }
</style>
</head>
<body>
<header>
  <h1>Reference host demo site</h1>
  <p id="who">Served by reference-host on this machine; the browser reached it through the host's own link.</p>
</header>
<main>
)HTML";

static const char kTail[] = R"HTML(</main>
<script src="qrc:///qtwebchannel/qwebchannel.js"></script>
<script>
  const output = document.getElementById('output');
  const state = document.getElementById('bridge-state');
  let bridge = null;
  function show(line) { output.textContent = line + '\n' + output.textContent; }
  function beacon(event, detail) {
    fetch('/beacon?event=' + encodeURIComponent(event) + '&detail=' + encodeURIComponent(detail || ''), { cache: 'no-store' });
  }
  function askUser(done) {
    bridge.getCurrentUserInfo(result => {
      let text = result || '(no answer)';
      try { const user = JSON.parse(result); text = user.name + ' (' + user.userId + ')'; } catch (e) {}
      show('current user: ' + text);
      if (done) done(result || '');
    });
  }
  document.getElementById('log').onclick = () => {
    if (!bridge) return show('no bridge here');
    const line = 'hello from the demo page at ' + new Date().toLocaleTimeString();
    bridge.postLog(line);
    show('log line sent: ' + line);
  };
  document.getElementById('channel').onclick = () => {
    if (!bridge) return show('no bridge here');
    bridge.postMessage(JSON.stringify({ action: 'go_to_channel_info', data: 'demo-channel' }), ok => show('asked to go to demo-channel: ' + ok));
  };
  document.getElementById('user').onclick = () => bridge ? askUser() : show('no bridge here');
  document.getElementById('made').onclick = e => {
    const csv = 'item,count\nnotes,1\nsamples,3\n';
    e.currentTarget.href = URL.createObjectURL(new Blob([csv], { type: 'text/csv' }));
  };
  function autoDownload() {
    const wanted = new URLSearchParams(location.search).get('download');
    const link = wanted && document.querySelector('a[download="' + CSS.escape(wanted) + '"]');
    if (link) link.click();
  }
  window.onload = () => {
    if (typeof qt === 'undefined' || !qt.webChannelTransport) {
      state.textContent = 'No page bridge: this page is open outside the channel browser.';
      state.className = 'off';
      beacon('ready', '');
      return;
    }
    new QWebChannel(qt.webChannelTransport, ch => {
      bridge = ch.objects.jsbridge;
      state.textContent = 'Page bridge "jsbridge" connected.';
      state.className = 'ok';
      bridge.postLog('demo page loaded');
      askUser(info => { beacon('ready', info); autoDownload(); });
    });
  };
</script>
</body>
</html>
)HTML";

QByteArray html(const QList<QPair<QByteArray, QByteArray>> &requestHeaders, const QList<Download> &downloads,
                const QList<Link> &elsewhere)
{
    QString page = QString::fromUtf8(kHead);
    page += QStringLiteral("<section>\n  <h2>Request headers this page was fetched with</h2>\n  <table>\n");
    for (const auto &header : requestHeaders) {
        const bool token = header.first.compare("X-Access-Token", Qt::CaseInsensitive) == 0;
        page += QStringLiteral("    <tr%1><td>%2</td><td>%3</td></tr>\n")
                    .arg(token ? QStringLiteral(" class=\"token\"") : QString(),
                         escape(QString::fromLatin1(header.first)), escape(QString::fromUtf8(header.second)));
    }
    page += QStringLiteral("  </table>\n</section>\n");

    page += QStringLiteral(
        "<div class=\"stack\">\n<section>\n  <h2>Talk to the host</h2>\n"
        "  <div id=\"bridge-state\">Connecting to the page bridge...</div>\n"
        "  <div class=\"buttons\">\n"
        "    <button id=\"log\">Post a log line</button>\n"
        "    <button id=\"channel\">Go to demo-channel</button>\n"
        "    <button id=\"user\">Who am I?</button>\n"
        "  </div>\n"
        "  <div id=\"output\"></div>\n</section>\n");

    page += QStringLiteral("<section>\n  <h2>Downloads</h2>\n  <ul class=\"files\">\n");
    for (const Download &file : downloads) {
        const QString ext = file.name.section(QLatin1Char('.'), -1).toLower();
        page += QStringLiteral("    <li><span class=\"badge %1\">%1</span><a href=\"/files/%2\" download=\"%2\">%2</a>"
                               "<span class=\"note\">%3<br>%4</span></li>\n")
                    .arg(escape(ext), escape(file.name), escape(file.description), sizeText(file.size));
    }
    // Made in the page from a Blob: only the browser can write it, and the
    // host copies the file the browser hands over.
    page += QStringLiteral("    <li><span class=\"badge csv\">csv</span><a id=\"made\" href=\"#\" download=\"page-made.csv\">page-made.csv</a>"
                           "<span class=\"note\">Made by the page itself (a Blob)</span></li>\n");
    page += QStringLiteral("  </ul>\n</section>\n");
    if (!elsewhere.isEmpty()) {
        page += QStringLiteral("<section>\n  <h2>Hardening</h2>\n  <ul class=\"files\">\n");
        for (const Link &link : elsewhere)
            page += QStringLiteral("    <li><a href=\"%1\">%1</a><span class=\"note\">%2</span></li>\n")
                        .arg(escape(link.url), escape(link.text));
        page += QStringLiteral("  </ul>\n</section>\n");
    }
    page += QStringLiteral("</div>\n");
    page += QString::fromUtf8(kTail);
    return page.toUtf8();
}

}
