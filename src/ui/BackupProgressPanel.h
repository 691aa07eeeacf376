#pragma once

#include <QElapsedTimer>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QTimer;

inline const QString kCannotCancelNote =
    QStringLiteral("Firebird не умеет прерывать начатый бэкап или восстановление: дождитесь окончания.");

// Shows a running backup or restore on the settings tab: what runs and for how
// long, the server's lines as they come, and the end. There is no Cancel button,
// since the server cannot stop the job.
class BackupProgressPanel : public QWidget {
    Q_OBJECT
public:
    explicit BackupProgressPanel(QWidget* parent = nullptr);

    void begin(const QString& title);
    void addLine(const QString& line);
    // ok false: text is the server's error.
    void finish(bool ok, const QString& text);

    bool running() const { return m_running; }
    QString title() const;
    QString result() const;
    QStringList lines() const;

    static constexpr int kMaxLines = 5000;

private:
    void showElapsed();

    QLabel* m_title = nullptr;
    QProgressBar* m_bar = nullptr;
    QPlainTextEdit* m_lines = nullptr;
    QLabel* m_note = nullptr;
    QLabel* m_result = nullptr;
    QTimer* m_clock = nullptr;
    QElapsedTimer m_elapsed;
    QString m_titleText;
    bool m_running = false;
};
