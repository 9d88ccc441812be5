// SPDX-License-Identifier: Apache-2.0
#pragma once

// Every device or power a page may ask for that the host can rule on, once.
// Its word names it in "permissionPolicy" items and in "iq:permission"; the
// browser's policy, its question box and the engine's request all follow
// from this list, so a new feature is a row here (and its question's key in
// configlist.h), the engine's request that maps to it, and its test.
//
// X(Feature, "word", Question, Default, "frame")
//   Feature    PageFeature::<Feature>, the engine's request as this program names it
//   "word"     as the host writes it
//   Question   the store's getter for the box's question, "%1" the asking origin
//   Default    the rule without a policy item: Ask, or Deny where a page
//              given it unasked would leave the user without something of
//              theirs (a page that holds the pointer takes the mouse away)
//   "frame"    what a frame of another origin than its page's needs in its
//              iframe's allow attribute to ask at all, as browsers delegate
//              it; "" where such a frame never asks
#define CWB_PERMISSION_FEATURES(X) \
    X(Camera, "camera", PermissionCameraText, Ask, "camera") \
    X(Microphone, "microphone", PermissionMicrophoneText, Ask, "microphone") \
    X(Screen, "screen", PermissionScreenText, Ask, "display-capture") \
    X(Notifications, "notifications", PermissionNotificationsText, Ask, "") \
    X(Location, "geolocation", PermissionGeolocationText, Ask, "geolocation") \
    X(PointerLock, "mouselock", PermissionMouseLockText, Deny, "")
