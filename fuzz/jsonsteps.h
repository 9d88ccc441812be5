// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QByteArray>
#include <functional>

// The JSON the browser reads without a widget: download records on file
// items, the user information a waiting page gets through the bridge, and
// configuration values. Shared by fuzz_json, which runs only these, and
// fuzz_panel, which adds the history panel and the window.
namespace JsonSteps {

// Once, after FuzzHarness::start.
void start();
// An input is up to 16 steps separated by the line "--" ("\n--\n"); each
// non-empty step goes to fn with its first byte and the rest (the body).
void forEachStep(const QByteArray &input, const std::function<void(uchar, const QByteArray &)> &fn);

// Download records (an object or an array) on fresh file items.
void records(const QByteArray &body);
// The body as the answer to a page waiting for the user information; an
// object body gets the waiting key spliced in.
void userInfoWaiting(const QByteArray &body);
// The body as a user information answer while no page waits.
void userInfoIdle(const QByteArray &body);
// Body byte 0 picks a key of the browser's own key table (and one that is
// not a key), the rest is the decoded value.
void configValue(const QByteArray &body);

}
