#include "journal/History.h"

#include "app/RunDatabase.h"
#include "db/TableUserDB.h"
#include "fb/Query.h"
#include "journal/Events.h"
#include "journal/JournalRecords.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QStringList>
#include <algorithm>

QString historyActionName(int kind) {
    switch (kind) {
    case 1:
        return QStringLiteral("Создание");
    case 2:
        return QStringLiteral("Изменение");
    case 3:
        return QStringLiteral("Перемещение");
    case 4:
        return QStringLiteral("Удаление");
    default:
        return {};
    }
}

QString historyTimeText(std::optional<qint64> writtenAtMs) {
    if (!writtenAtMs)
        return kNoValueText;
    return QDateTime::fromMSecsSinceEpoch(*writtenAtMs)
        .toLocalTime()
        .toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

namespace {

// Other users' text made plain the way the alert makes it, its lines on one line.
QString oneLine(const QString& text) {
    QStringList lines;
    for (const QString& line : alertPlainText(text).split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty())
            lines << trimmed;
    }
    return lines.join(QLatin1Char(' '));
}

} // namespace

QString historyChangesText(const type_ParametersOfEvents& entry) {
    // The alert's text already leaves passwords out.
    const std::optional<AlertText> alert = alertTextFor(entry, QString());
    return alert ? oneLine(alert->message) : QString();
}

QStringList HistoryRow::cells() const {
    return {QString::number(id), timeText(), author, action, object, changes};
}

QVector<HistoryUser> historyUsers(RunDatabase& db) {
    fb::Query query(db.IBDatabase1, db.IBTransaction1);
    query.setSql(QStringLiteral("select ID, FIO from USER_DB order by FIO, ID"));
    query.open();
    QVector<HistoryUser> users;
    for (; !query.eof(); query.next())
        users.append({query.field(0).asInteger(), query.field(1).asString().trimmed()});
    return users;
}

HistoryRow historyRowOf(const type_LogsEntry& entry, const QHash<int, QString>& authors) {
    HistoryRow row;
    row.id = entry.ID;
    if (!entry.isReadable()) {
        row.corrupt = true;
        row.author = kNoValueText;
        row.action = kCorruptEntryText;
        return row;
    }
    const type_ParametersOfEvents& e = entry.ParametersOfEvents;
    row.writtenAtMs = entry.writtenAtMs;
    row.authorId = e.UserID_;
    row.author = oneLine(authors.value(e.UserID_));
    if (row.author.isEmpty())
        row.author = kNoValueText;
    row.kind = e.Type_;
    row.action = historyActionName(e.Type_);
    if (row.action.isEmpty())
        row.action = QStringLiteral("неизвестное действие %1").arg(e.Type_);
    row.object = oneLine(e.Path_before);
    if (e.Type_ == 3)
        row.objectPathAfter = oneLine(e.Path_after);
    row.changes = historyChangesText(e);
    row.objectId = objectIdOf(e);
    return row;
}

// --- matching -------------------------------------------------------------------

HistoryMatcher::HistoryMatcher(HistoryFilter filter) : m_filter(std::move(filter)) {
    m_needle = m_filter.text.trimmed();
    if (!m_filter.objectPath.isEmpty())
        m_objectPaths.insert(m_filter.objectPath);
}

bool HistoryMatcher::isAboutObject(const HistoryRow& row, const type_ParametersOfEvents& entry) {
    if (row.objectId == m_filter.objectId)
        return true;
    // Updates journalled by older copies name no identity, only the path.
    return entry.Type_ == 2 && entry.IDchildren_ == 0 && m_objectPaths.contains(entry.Path_before);
}

bool HistoryMatcher::matches(const HistoryRow& row, const type_ParametersOfEvents& entry) {
    // Nothing of a corrupt entry can be checked; hiding it would hide that it is there.
    if (row.corrupt)
        return true;
    // The object first: its entries teach its older paths whatever the other filters say.
    if (m_filter.objectId != 0) {
        if (!isAboutObject(row, entry))
            return false;
        if (!entry.Path_before.isEmpty() && m_objectPaths.size() < 1000)
            m_objectPaths.insert(entry.Path_before);
    }
    if (m_filter.authorId != 0 && row.authorId != m_filter.authorId)
        return false;
    if (m_filter.kind != 0 && row.kind != m_filter.kind)
        return false;
    if (!m_needle.isEmpty()) {
        const auto has = [this](const QString& text) { return text.contains(m_needle, Qt::CaseInsensitive); };
        if (!has(row.object) && !has(row.objectPathAfter) && !has(row.changes))
            return false;
    }
    return true;
}

// --- reading --------------------------------------------------------------------

namespace {

HistoryReader::Clock steadyClock() {
    return [] {
        static QElapsedTimer timer = [] {
            QElapsedTimer started;
            started.start();
            return started;
        }();
        return timer.elapsed();
    };
}

} // namespace

HistoryReader::HistoryReader(RunDatabase& db, HistoryFilter filter, Clock clock)
    : m_db(db), m_matcher(std::move(filter)), m_clock(clock ? std::move(clock) : steadyClock()) {}

void HistoryReader::start() {
    if (m_started)
        return;
    m_users = historyUsers(m_db);
    for (const HistoryUser& user : m_users)
        m_authors.insert(user.id, user.name);
    m_newest = Last_ID_To_LOGS(m_db);
    m_first = m_newest == 0 ? 1 : First_ID_To_LOGS(m_db);
    m_below = m_newest + 1;
    m_started = true;
}

QString HistoryReader::authorName(int userId) {
    const auto found = m_authors.constFind(userId);
    if (found != m_authors.constEnd())
        return *found;
    // A user added since the window opened; a missing one is asked for once.
    const QString name = GetFIObyUser_ID(m_db, userId).trimmed();
    m_authors.insert(userId, name.isEmpty() ? kNoValueText : name);
    return m_authors.value(userId);
}

QVector<HistoryRow> HistoryReader::rowsOf(const QVector<type_LogsEntry>& entriesNewestFirst) {
    QVector<HistoryRow> rows;
    for (const type_LogsEntry& entry : entriesNewestFirst) {
        if (entry.isReadable())
            authorName(entry.ParametersOfEvents.UserID_);
        HistoryRow row = historyRowOf(entry, m_authors);
        if (m_matcher.matches(row, entry.ParametersOfEvents))
            rows.append(std::move(row));
    }
    return rows;
}

void HistoryReader::noteHoles(int from, int to, const QSet<int>& present) {
    const qint64 now = m_clock();
    // Only the newest identities can still be waiting for their commit.
    for (int id = std::max(from, to - kMaxHoles + 1); id <= to; ++id) {
        if (!present.contains(id) && !m_holes.contains(id))
            m_holes.insert(id, now);
    }
    while (m_holes.size() > kMaxHoles)
        m_holes.erase(m_holes.begin());
}

QVector<HistoryRow> HistoryReader::olderPage(int wanted, int maxScan) {
    start();
    QVector<HistoryRow> rows;
    int looked = 0;
    while (rows.size() < wanted && looked < maxScan && m_below > m_first) {
        const int to = m_below - 1;
        const int span = std::min(m_window, maxScan - looked);
        const int from = std::max(m_first, to - span + 1);
        // Author and kind are compared on the server, except for an object's history,
        // whose entries by anyone teach the paths the object had.
        const HistoryFilter& f = m_matcher.filter();
        const bool onServer = f.objectId == 0;
        QVector<type_LogsEntry> entries =
            ReadLogsBetween(m_db, from, to, onServer ? f.authorId : 0, onServer ? f.kind : 0);
        if (to == m_newest) {
            QSet<int> present;
            for (const type_LogsEntry& entry : entries)
                present.insert(entry.ID);
            noteHoles(from, to, present);
        }
        std::reverse(entries.begin(), entries.end());
        looked += to - from + 1;
        m_scanned += to - from + 1;
        m_below = from;
        rows += rowsOf(entries);
        // Few entries in the range (identities skipped) or few of them wanted by the
        // filter: the next statement asks for a wider range.
        if (rows.size() < wanted)
            m_window = std::min(m_window * 2, kMaxWindow);
    }
    return rows;
}

QVector<HistoryRow> HistoryReader::newerRows() {
    if (!m_started) {
        start();
        return {};
    }
    QVector<type_LogsEntry> found;
    // Late commits first: identities drawn before the newest one read.
    const qint64 now = m_clock();
    for (auto it = m_holes.begin(); it != m_holes.end();)
        it = now - it.value() > kHoleMs ? m_holes.erase(it) : std::next(it);
    if (!m_holes.isEmpty()) {
        for (const type_LogsEntry& entry : ReadLogsWithIds(m_db, m_holes.keys().toVector())) {
            m_holes.remove(entry.ID);
            found.append(entry);
        }
    }
    constexpr int kPage = 500;
    for (;;) {
        const QVector<type_LogsEntry> batch = ReadLogsAfter(m_db, m_newest, kPage);
        if (batch.isEmpty())
            break;
        QSet<int> present;
        for (const type_LogsEntry& entry : batch)
            present.insert(entry.ID);
        noteHoles(m_newest + 1, batch.last().ID, present);
        m_newest = batch.last().ID;
        found += batch;
        if (batch.size() < kPage)
            break;
    }
    std::sort(found.begin(), found.end(),
              [](const type_LogsEntry& a, const type_LogsEntry& b) { return a.ID > b.ID; });
    return rowsOf(found);
}

// --- CSV ------------------------------------------------------------------------

namespace {

QString csvCell(QString text) {
    if (!text.isEmpty() && QStringLiteral("=+-@").contains(text.front()))
        text.prepend(QLatin1Char('\''));
    if (text.contains(QLatin1Char('"')) || text.contains(QLatin1Char(',')) ||
        text.contains(QLatin1Char(';')) || text.contains(QLatin1Char('\n')) ||
        text.contains(QLatin1Char('\r')) || text != text.trimmed()) {
        text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        return QLatin1Char('"') + text + QLatin1Char('"');
    }
    return text;
}

QString csvLine(const QStringList& cells) {
    QStringList quoted;
    for (const QString& cell : cells)
        quoted << csvCell(cell);
    return quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

} // namespace

QByteArray historyCsv(const QVector<HistoryRow>& rows) {
    QString text =
        csvLine({QStringLiteral("№"), QStringLiteral("Время"), QStringLiteral("Автор"),
                 QStringLiteral("Действие"), QStringLiteral("Объект"), QStringLiteral("Изменения")});
    for (const HistoryRow& row : rows)
        text += csvLine(row.cells());
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}
