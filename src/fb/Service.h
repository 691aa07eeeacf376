#pragma once

#include <QString>
#include <functional>
#include <memory>

namespace fb {

class Error;

// One attachment to a server's service manager ("host:service_mgr") that runs a
// backup or a restore with gbak on the server. Paths are the server's own.
//
// The server keeps the output of a running service in a small buffer and stops
// the service while that buffer is full, so after every start the output must be
// read to its end (nextLine until Finished, or drain). A failure of gbak arrives
// as the fb::Error of one of those reads, or of the start itself when gbak fails
// before the server has reported the service started. Firebird 3 cannot cancel a running
// backup or restore: detaching only stops our reading, the server goes on.
class Service {
public:
    enum class Output { Line, NothingYet, Finished };

    Service();
    ~Service();
    Service(const Service&) = delete;
    Service& operator=(const Service&) = delete;

    // Fails with the server's text (unreachable host, wrong login or password).
    // connectTimeoutSeconds > 0 bounds the wait for an unreachable host.
    void attach(const QString& host, const QString& user, const QString& password,
                int connectTimeoutSeconds = 0);
    void detach();
    bool attached() const;

    // Verbose output: a line per table and step, and one every progressInterval
    // rows (0: gbak's own interval of 20000 rows).
    void startBackup(const QString& database, const QString& backupFile, int progressInterval = 0);
    // Creates the database; an existing file is refused by the server unless
    // replace is given.
    void startRestore(const QString& backupFile, const QString& database, bool replace,
                      int progressInterval = 0);
    // True from a start until the read that reports Finished or fails.
    bool running() const { return m_running; }

    // Waits up to a second for the next line of output.
    Output nextLine(QString& line);
    // Reads every line up to the end. keepReading is asked between reads (at least
    // once a second); when it says false, reading stops and the service is
    // detached, leaving the server to finish on its own. Returns false then.
    bool drain(const std::function<void(const QString&)>& onLine,
               const std::function<bool()>& keepReading = {});

private:
    void start(const QByteArray& spb);

    struct Handle;
    std::unique_ptr<Handle> m_handle;
    bool m_running = false;
};

// The server refused a restore because the target database exists.
bool refusedExistingDatabase(const Error& error);

} // namespace fb
