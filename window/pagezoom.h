// SPDX-License-Identifier: Apache-2.0
#pragma once

#include <QObject>
#include <QTimer>

class QLabel;
class QWebEngineView;
class QWidget;

// The page's zoom, in steps of a quarter between a quarter and five times,
// on top of the scale the window gives every page to match its chrome. The
// level is kept per host name for the rest of the run and nowhere else, so a
// page of the same site comes back at the level the user left it. A short-lived
// label over the page says the level after each step.
class PageZoom : public QObject
{
    Q_OBJECT
public:
    PageZoom(QWidget *frame, QWebEngineView *view);

    void zoomIn() { setPercent(percent() + step); }
    void zoomOut() { setPercent(percent() - step); }
    void reset() { setPercent(100); }
    // The user's level for the page shown now, 100 without one.
    int percent() const;
    QString indicatorText() const;

private:
    static constexpr int step = 25;
    static constexpr int least = 25;
    static constexpr int most = 500;

    void setPercent(int percent);
    void apply();
    QString host() const;

    QWidget *frame;
    QWebEngineView *view;
    QLabel *indicator = nullptr;
    QTimer hideTimer;
};
