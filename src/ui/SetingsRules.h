#pragma once

#include <QString>
#include <optional>

// What the settings window shows for stored values, and its checks of typed ones,
// without any widget.

// The slider position for a stored TRANSPARENCY: the low byte the main window uses,
// and fully opaque for 0 or less (missing included).
int shownTransparency(int stored);
// The slider never goes lower: a window at 0 could not be seen to be set back.
inline constexpr int kMinimumTransparency = 25;

// Key codes and the reaction time as the window shows them, with their fallbacks.
QString shownCodeKey(const QString& stored); // "$11" for blank
QString shownSleep(int stored);              // "120" for negative
QString shownHotkey1(const QString& stored); // "162" for blank
QString shownHotkey2(const QString& stored); // "164" for blank

// MONITOR and POSITION: -1 and 0 mean the first monitor and the left edge, any
// other value the second monitor and the right edge.
bool selectsSecond(int stored);

// The folder shown for a blank BackupFolder or RestoreFolder: the current folder
// followed by name and a separator.
QString defaultFolder(const QString& name);
QString shownFolder(const QString& stored, const QString& defaultName);

// The reaction time in milliseconds as config.ini reads integers; nothing when the
// text is not such a number.
std::optional<int> typedInteger(const QString& text);

// A Russian message naming the field, or empty text when the value is fine.
QString reactionTimeProblem(const QString& fieldCaption, const QString& text); // 1..60000
QString keyCodeProblem(const QString& fieldCaption, const QString& text);      // 1..254
