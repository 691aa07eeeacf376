#pragma once

#include <QObject>
#include <QString>
#include <memory>

namespace fb {

class Database;

// Listens for one database event. The client library calls back on a thread of its
// own; every delivery is handed to the thread that owns this object (the user
// interface thread) before posted() is emitted. Several posts may arrive as one
// delivery, so posted() carries how many there were.
class EventListener : public QObject {
    Q_OBJECT
public:
    EventListener(const QString& eventName, QObject* parent = nullptr);
    ~EventListener() override;

    const QString& eventName() const { return m_name; }

    // Registers on db's attachment (cancelling an earlier registration). The first
    // answer of the server only sets the baseline of the count.
    void attach(Database& db);
    // Cancels the registration; no posted() follows.
    void detach();
    bool attached() const;
    // True once the server's first answer has arrived: from then on no post is missed.
    bool listening() const { return m_baselineSet; }

signals:
    void posted(int count);
    // The first answer arrived after attach().
    void ready();

private:
    class Callback;
    void deliver(quint64 generation, const QByteArray& counts);
    void queue();

    QString m_name;
    Database* m_db = nullptr;
    QByteArray m_block;
    bool m_baselineSet = false;
    quint64 m_generation = 0;
    struct Registration;
    std::unique_ptr<Registration> m_registration;
};

} // namespace fb
