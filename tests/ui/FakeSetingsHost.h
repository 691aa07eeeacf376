#pragma once

#include "app/Ini.h"
#include "ui/unSetings.h"

#include <QList>
#include <QPair>
#include <QWidget>

// The main window as the settings window sees it: records every call, and keeps a
// count of running double-press watchers as the real one would (a start adds one,
// a stop ends one if any runs).
class FakeSetingsHost : public SetingsHost {
public:
    QWidget window;
    QList<bool> onTop;
    QList<int> transparency;
    QList<QPair<int, int>> placements;
    int watchers = 0;
    QString watcherCodeKey; // as config.ini had it when the last watcher started
    int watcherSleep = 0;
    QList<bool> hotkey; // true: installed, false: removed
    int restartRequests = 0;

    void applyOnTop(bool on) override { onTop << on; }
    void applyTransparency(int value) override {
        transparency << value;
        window.setWindowOpacity((value & 0xFF) / 255.0);
    }
    void placeMainWindow(int monitor, int position) override { placements << qMakePair(monitor, position); }
    void stopDoublePressWatcher() override {
        if (watchers > 0)
            --watchers;
    }
    void startDoublePressWatcher() override {
        ++watchers;
        watcherCodeKey = Read_ini_str(QStringLiteral("SETINGS"), QStringLiteral("CODEKEY"));
        watcherSleep = Read_ini_int(QStringLiteral("SETINGS"), QStringLiteral("SLEEP_POTOK"));
    }
    void installHotkey() override { hotkey << true; }
    void removeHotkey() override { hotkey << false; }
    void restartRequestChanged() override { ++restartRequests; }
    QWidget* mainWindow() override { return &window; }

    bool untouched() const {
        return onTop.isEmpty() && placements.isEmpty() && watchers == 0 && hotkey.isEmpty() &&
               transparency.isEmpty();
    }
};
