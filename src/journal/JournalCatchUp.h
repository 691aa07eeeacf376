#pragma once

#include "journal/TableLogs.h"

#include <QMap>
#include <QStringList>
#include <QVector>
#include <functional>

struct RunDatabase;

// One client's place in the journal: the mark is the identity of the last entry
// applied. Each run reads the entries above it by key range, in pages, oldest
// first. An identity drawn before a higher one may commit after it, so holes
// below the newest entry read are asked for again at later runs, and so are
// entries the applier could not settle yet; both are dropped after a minute.
class JournalCatchUp {
public:
    // Milliseconds of a clock that never goes back.
    using Clock = std::function<qint64()>;
    // Applies one readable entry; firstSight is false when it is looked at again.
    // Returns false when the entry should be looked at again at a later run.
    using Apply = std::function<bool(const type_LogsEntry& entry, bool firstSight)>;
    // Sees each batch of entries before they are applied one by one (to read
    // what they need in one go).
    using BeforeBatch = std::function<void(const QVector<type_LogsEntry>& entries)>;

    enum class Outcome {
        CaughtUp,
        // The tree must be built anew from the table: the journal was restored
        // below the mark, lies too far ahead, or held an unreadable entry.
        Rebuild,
    };

    struct Result {
        Outcome outcome = Outcome::CaughtUp;
        int applied = 0;
        QStringList trace; // for the trace memo, one line per event worth noting
    };

    static constexpr int kPageSize = 250;
    static constexpr int kBacklogLimit = 1000;
    static constexpr qint64 kRevisitMs = 60000;
    static constexpr int kMaxRevisits = 1000;

    explicit JournalCatchUp(Clock clock = {});

    int mark() const { return m_mark; }
    // Forgets the holes and the entries to look at again.
    void setMark(int mark);
    // The journal's newest entry becomes the mark; call it before the tree is built
    // from the table, so that nothing journalled meanwhile is missed.
    void markJournalEnd(RunDatabase& db);

    Result run(RunDatabase& db, const Apply& apply, const BeforeBatch& beforeBatch = {});

    // Identities asked for again at the next run, lowest first.
    QVector<int> revisits() const { return m_revisits.keys().toVector(); }

private:
    struct Revisit {
        qint64 sinceMs = 0;
        bool seen = false; // read before, but not settled
    };

    void noteHolesBelow(int id);
    void revisit(RunDatabase& db, const Apply& apply, const BeforeBatch& beforeBatch, Result& result,
                 bool& corrupt);
    void handle(const type_LogsEntry& entry, bool firstSight, qint64 sinceMs, const Apply& apply,
                Result& result, bool& corrupt);
    void trimRevisits();
    void restartAt(int mark, Result& result, const QString& reason);

    Clock m_clock;
    int m_mark = 0;
    QMap<int, Revisit> m_revisits;
};
