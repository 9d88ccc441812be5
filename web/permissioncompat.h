// SPDX-License-Identifier: Apache-2.0
#pragma once

// A page's permission requests as one shape, whichever engine raised them:
// up to Qt 6.7 the page's featurePermissionRequested with an answer through
// setFeaturePermission; from 6.8 on a QWebEnginePermission that is granted
// or denied itself, which the older calls no longer reach.

#include "wire/permissionlist.h"

#include <QPointer>
#include <QUrl>
#include <functional>

class QObject;
class QWebEnginePage;
class QWebEngineProfile;

// The features of wire/permissionlist.h, and the engine's requests that are
// two of them at once or one in another form.
enum class PageFeature {
#define CWB_FEATURE(Feature, ...) Feature,
    CWB_PERMISSION_FEATURES(CWB_FEATURE)
#undef CWB_FEATURE
    CameraAndMicrophone,
    ScreenWithAudio,
    Clipboard,   // read and write, asked for only by the newer engine
    Unknown,     // a kind this program does not know: always refused
};

class PermissionRequest
{
public:
    PermissionRequest() = default;
    PermissionRequest(QWebEnginePage *page, const QUrl &origin, PageFeature feature,
                      std::function<void(bool)> answer);

    QWebEnginePage *page() const;
    QUrl origin() const { return m_origin; }
    PageFeature feature() const { return m_feature; }
    // Grants or refuses it once; a request whose page has gone takes nothing.
    void answer(bool allow) const;
    // The same question of the same page: what the older engine withdraws by.
    bool sameQuestion(const PermissionRequest &other) const;

private:
    QPointer<QWebEnginePage> m_page;
    QUrl m_origin;
    PageFeature m_feature = PageFeature::Unknown;
    std::function<void(bool)> m_answer;
};

namespace PermissionCompat {

// asked(request) for every request page raises; withdrawn(request) when the
// page takes one back before it is answered (it navigated away, its frame
// went). The newer engine tells no withdrawal: its requests die with the
// page, which the page's own destruction covers.
void watch(QWebEnginePage *page, QObject *context,
           std::function<void(const PermissionRequest &)> asked,
           std::function<void(const PermissionRequest &)> withdrawn);

// Every request is put to us, and what we answer is not kept by the engine:
// which answers hold for the rest of the run is ours to say, in memory, and
// the host's rules, which may change while the browser runs, are heard at
// each request. The older engine keeps nothing anyway.
void askEveryTime(QWebEngineProfile *profile);

} // namespace PermissionCompat
