// SPDX-License-Identifier: Apache-2.0
#include "web/permissioncompat.h"

#include <QObject>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
#include <QWebEnginePermission>
#endif

PermissionRequest::PermissionRequest(QWebEnginePage *page, const QUrl &origin, PageFeature feature,
                                     std::function<void(bool)> answer)
    : m_page(page)
    , m_origin(origin)
    , m_feature(feature)
    , m_answer(std::move(answer))
{
}

QWebEnginePage *PermissionRequest::page() const
{
    return m_page;
}

void PermissionRequest::answer(bool allow) const
{
    if (m_page && m_answer)
        m_answer(allow);
}

bool PermissionRequest::sameQuestion(const PermissionRequest &other) const
{
    return m_page == other.m_page && m_origin == other.m_origin && m_feature == other.m_feature;
}

#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)

namespace {

PageFeature featureOf(QWebEnginePermission::PermissionType type)
{
    using Type = QWebEnginePermission::PermissionType;
    switch (type) {
    case Type::MediaVideoCapture: return PageFeature::Camera;
    case Type::MediaAudioCapture: return PageFeature::Microphone;
    case Type::MediaAudioVideoCapture: return PageFeature::CameraAndMicrophone;
    case Type::DesktopVideoCapture: return PageFeature::Screen;
    case Type::DesktopAudioVideoCapture: return PageFeature::ScreenWithAudio;
    case Type::Notifications: return PageFeature::Notifications;
    case Type::Geolocation: return PageFeature::Location;
    case Type::MouseLock: return PageFeature::PointerLock;
    case Type::ClipboardReadWrite: return PageFeature::Clipboard;
    default: return PageFeature::Unknown;
    }
}

} // namespace

void PermissionCompat::watch(QWebEnginePage *page, QObject *context,
                             std::function<void(const PermissionRequest &)> asked,
                             std::function<void(const PermissionRequest &)>)
{
    QObject::connect(page, &QWebEnginePage::permissionRequested, context,
                     [page, asked](QWebEnginePermission permission) {
        asked(PermissionRequest(page, permission.origin(), featureOf(permission.permissionType()),
                                [permission](bool allow) {
                                    // one the engine already let go of takes no answer
                                    if (!permission.isValid())
                                        return;
                                    if (allow)
                                        permission.grant();
                                    else
                                        permission.deny();
                                }));
    });
}

void PermissionCompat::askEveryTime(QWebEngineProfile *profile)
{
    profile->setPersistentPermissionsPolicy(QWebEngineProfile::PersistentPermissionsPolicy::AskEveryTime);
}

#else

namespace {

PageFeature featureOf(QWebEnginePage::Feature feature)
{
    switch (feature) {
    case QWebEnginePage::MediaVideoCapture: return PageFeature::Camera;
    case QWebEnginePage::MediaAudioCapture: return PageFeature::Microphone;
    case QWebEnginePage::MediaAudioVideoCapture: return PageFeature::CameraAndMicrophone;
    case QWebEnginePage::DesktopVideoCapture: return PageFeature::Screen;
    case QWebEnginePage::DesktopAudioVideoCapture: return PageFeature::ScreenWithAudio;
    case QWebEnginePage::Notifications: return PageFeature::Notifications;
    case QWebEnginePage::Geolocation: return PageFeature::Location;
    case QWebEnginePage::MouseLock: return PageFeature::PointerLock;
    default: return PageFeature::Unknown;   // the kinds later engines added
    }
}

PermissionRequest requestOf(QWebEnginePage *page, const QUrl &origin, QWebEnginePage::Feature feature)
{
    return PermissionRequest(page, origin, featureOf(feature), [page, origin, feature](bool allow) {
        page->setFeaturePermission(origin, feature, allow ? QWebEnginePage::PermissionGrantedByUser
                                                          : QWebEnginePage::PermissionDeniedByUser);
    });
}

} // namespace

void PermissionCompat::watch(QWebEnginePage *page, QObject *context,
                             std::function<void(const PermissionRequest &)> asked,
                             std::function<void(const PermissionRequest &)> withdrawn)
{
    QObject::connect(page, &QWebEnginePage::featurePermissionRequested, context,
                     [page, asked](const QUrl &origin, QWebEnginePage::Feature feature) {
        asked(requestOf(page, origin, feature));
    });
    QObject::connect(page, &QWebEnginePage::featurePermissionRequestCanceled, context,
                     [page, withdrawn](const QUrl &origin, QWebEnginePage::Feature feature) {
        withdrawn(requestOf(page, origin, feature));
    });
}

void PermissionCompat::askEveryTime(QWebEngineProfile *) {}

#endif
