#pragma once

#include "journal/Events.h"

#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QVector>
#include <QWidget>
#include <functional>

class QToolButton;

// A label that shows its plain text cut to fit: lines wrapped to its width, and
// what goes beyond its height dropped, the last line shown ending in "…".
class FittedTextLabel : public QLabel {
    Q_OBJECT
public:
    explicit FittedTextLabel(QWidget* parent = nullptr);
    void setFullText(const QString& text);
    const QString& fullText() const { return m_full; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void refit();
    QString m_full;
};

// One desktop alert: a frameless window with the author's name, the change and a
// close button. It never takes the focus and cannot be moved; the text is shown
// as plain text, whatever markup another client put into it.
class AlertWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 400;
    static constexpr int kBaseHeight = 100;
    static constexpr int kPerLineFeed = 10;

    AlertWindow(const QString& header, const QString& message, qint64 shownAtMs);

    // 100 px plus 10 for every line feed of the message.
    static int heightFor(const QString& message);
    qint64 shownAtMs() const { return m_shownAtMs; }

signals:
    void closeRequested(AlertWindow* alert);

private:
    qint64 m_shownAtMs;
    FittedTextLabel* labelHeader = nullptr;
    FittedTextLabel* labelMessage = nullptr;
    QToolButton* buttonClose = nullptr;
};

// The alerts on screen, stacked upward from the lower right corner of the
// available screen area, each gone after 14 s.
class AlertStack : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<qint64()>; // milliseconds, never going back

    static constexpr int kDisplayMs = 14000;
    static constexpr int kMargin = 8;
    static constexpr int kSpacing = 4;
    static constexpr int kCheckMs = 250;

    explicit AlertStack(Clock clock = {}, QObject* parent = nullptr);
    ~AlertStack() override;

    AlertWindow* show(const QString& header, const QString& message);
    // Oldest first, which is lowest on the screen.
    QVector<AlertWindow*> alerts() const;
    // Closes the alerts shown 14 s ago or earlier; a timer calls it while any is shown.
    void closeExpired();
    void closeAll();

private:
    void close(AlertWindow* alert);
    void arrange();

    Clock m_clock;
    QVector<QPointer<AlertWindow>> m_alerts;
    QTimer m_expiry;
};

// The program's alerts.
AlertStack& alertStack();
// Shows one alert at once and returns.
void CreateEvent(const QString& perHeaderText, const QString& perMessageText);
// The alerts of one catch-up as gperShowEvents allows: nothing when off, at most
// three and a summary when on.
void showChangeAlerts(const QVector<AlertText>& raised);
