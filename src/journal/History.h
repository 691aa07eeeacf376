#pragma once

#include "journal/TableLogs.h"

#include <QHash>
#include <QMap>
#include <QSet>
#include <QString>
#include <QVector>
#include <functional>
#include <optional>

struct RunDatabase;

// The journal as a browsable history: rows newest first, read in pages by key
// range from the newest identity down, so a journal of millions of entries opens
// as fast as a short one. Nothing here knows a widget.

inline const QString kCorruptEntryText = QStringLiteral("повреждённая запись");
inline const QString kNoValueText = QStringLiteral("—");

// "Создание", "Изменение", "Перемещение", "Удаление"; empty for any other kind.
QString historyActionName(int kind);
// Local time as "dd.MM.yyyy HH:mm:ss", "—" without one.
QString historyTimeText(std::optional<qint64> writtenAtMs);
// The lines of the entry's alert on one line, passwords never among them.
QString historyChangesText(const type_ParametersOfEvents& entry);

// One row of the history.
struct HistoryRow {
    int id = 0;
    bool corrupt = false;
    std::optional<qint64> writtenAtMs;
    int authorId = 0;
    QString author; // "—" when the user no longer exists
    int kind = 0;
    QString action;
    QString object; // the entry's path
    QString changes;
    int objectId = 0;        // the identity the entry is about, 0 when it names none
    QString objectPathAfter; // kind 3: where the object went

    QString timeText() const { return historyTimeText(writtenAtMs); }
    // The six cells as the table shows them: №, Время, Автор, Действие, Объект, Изменения.
    QStringList cells() const;
};

// What the history shows. Filters combine; an empty one lets everything through.
struct HistoryFilter {
    // The object the history is about, 0 for the whole tree. Entries are found by
    // identity; updates journalled by older copies carry none and are found by
    // objectPath (the object's path when the window was opened) and by the paths
    // the object had before, as its older entries tell them.
    int objectId = 0;
    QString objectPath;
    int authorId = 0; // 0: every author
    int kind = 0;     // 0: every kind, 1 to 4 otherwise
    QString text;     // found in the paths or the changes, case ignored

    bool operator==(const HistoryFilter&) const = default;
};

// The USER_DB names by ID, for the author column and the author filter.
struct HistoryUser {
    int id = 0;
    QString name;
};
QVector<HistoryUser> historyUsers(RunDatabase& db);

// Turns journal entries into rows and decides which pass the filter. Kept apart
// from the reading so it can be tried on entries made up in memory.
class HistoryMatcher {
public:
    explicit HistoryMatcher(HistoryFilter filter = {});

    const HistoryFilter& filter() const { return m_filter; }
    // Entries must be offered newest first: each matched entry of the object
    // teaches the paths the object had before it.
    bool matches(const HistoryRow& row, const type_ParametersOfEvents& entry);

private:
    bool isAboutObject(const HistoryRow& row, const type_ParametersOfEvents& entry);

    HistoryFilter m_filter;
    QString m_needle;
    QSet<QString> m_objectPaths;
};

HistoryRow historyRowOf(const type_LogsEntry& entry, const QHash<int, QString>& authors);

// The rows of one filter, newest first: olderPage() reads further back,
// newerRows() the entries journalled since the newest one read.
class HistoryReader {
public:
    // Milliseconds of a clock that never goes back; holes are asked for again
    // for a minute by it.
    using Clock = std::function<qint64()>;

    static constexpr int kWindow = 200;        // identities asked for in one statement at first
    static constexpr int kMaxWindow = 20000;   // widened to for sparse identities or a rare filter
    static constexpr int kDefaultScan = 10000; // entries looked at by one olderPage at most
    static constexpr qint64 kHoleMs = 60000;
    static constexpr int kMaxHoles = 1000;

    HistoryReader(RunDatabase& db, HistoryFilter filter, Clock clock = {});

    const HistoryFilter& filter() const { return m_matcher.filter(); }
    const QVector<HistoryUser>& users() const { return m_users; }

    // Up to `wanted` further rows below the oldest read so far, newest first,
    // looking at no more than maxScan entries; fewer rows when the journal's
    // start is reached or the scan ends (atStart() tells which). Identities
    // count as looked at whether or not an entry holds them.
    QVector<HistoryRow> olderPage(int wanted, int maxScan = kDefaultScan);
    bool atStart() const { return m_started && m_below <= m_first; }
    // Identities looked at so far going back.
    int scanned() const { return m_scanned; }

    // Rows journalled since the newest entry read, and entries whose identity was
    // drawn earlier but committed late, newest first. Readers place them by id.
    QVector<HistoryRow> newerRows();

private:
    void start();
    void noteHoles(int from, int to, const QSet<int>& present);
    QVector<HistoryRow> rowsOf(const QVector<type_LogsEntry>& entriesNewestFirst);
    QString authorName(int userId);

    RunDatabase& m_db;
    HistoryMatcher m_matcher;
    Clock m_clock;
    QVector<HistoryUser> m_users;
    QHash<int, QString> m_authors;
    bool m_started = false;
    int m_newest = 0; // the newest identity read
    int m_first = 0;  // the journal's oldest identity
    int m_below = 0;  // everything from here up has been read
    int m_window = kWindow;
    int m_scanned = 0;
    QMap<int, qint64> m_holes; // identity -> first missed at
};

// The rows as CSV in UTF-8 with a byte order mark, a header line and CRLF line
// ends. Cells that a spreadsheet would take for a formula get an apostrophe in
// front, so names typed by other users cannot run anything there.
QByteArray historyCsv(const QVector<HistoryRow>& rows);
