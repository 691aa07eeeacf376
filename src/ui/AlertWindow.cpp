#include "ui/AlertWindow.h"

#include "app/Variable.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QTextLayout>
#include <QToolButton>
#include <QVBoxLayout>
#include <chrono>

namespace {

qint64 steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

const QString kEllipsis = QStringLiteral("…");

QRect availableArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

} // namespace

FittedTextLabel::FittedTextLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    setTextInteractionFlags(Qt::NoTextInteraction);
}

void FittedTextLabel::setFullText(const QString& text) {
    m_full = alertPlainText(text);
    refit();
}

void FittedTextLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    refit();
}

// Visual lines of one paragraph wrapped to the width, at word boundaries where
// there are any (paths have none).
static QStringList wrapped(const QString& paragraph, const QFont& font, int width) {
    if (paragraph.isEmpty())
        return {QString()};
    QTextLayout layout(paragraph, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        QString part = paragraph.mid(line.textStart(), line.textLength());
        while (!part.isEmpty() && part.back().isSpace()) // the blank a line was broken at
            part.chop(1);
        lines << part;
    }
    layout.endLayout();
    return lines;
}

void FittedTextLabel::refit() {
    const QFontMetrics metrics(font());
    const QRect area = contentsRect();
    const int width = qMax(1, area.width());
    const int fitting = qMax(1, area.height() / qMax(1, metrics.lineSpacing()));
    QStringList lines;
    for (const QString& paragraph : m_full.split(QLatin1Char('\n')))
        lines += wrapped(paragraph, font(), width);
    if (lines.size() > fitting) {
        lines = lines.mid(0, fitting);
        QString last = lines.last();
        while (!last.isEmpty() && metrics.horizontalAdvance(last + kEllipsis) > width)
            last.chop(1);
        lines.last() = last + kEllipsis;
    }
    setText(lines.join(QLatin1Char('\n')));
}

AlertWindow::AlertWindow(const QString& header, const QString& message, qint64 shownAtMs)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus),
      m_shownAtMs(shownAtMs) {
    setObjectName(QStringLiteral("AlertWindow"));
    // Not owned by the main window's native window, so it shows while that is minimised.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_X11NetWmWindowTypeNotification);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(header.trimmed());

    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    frame->setAutoFillBackground(true);
    frame->setBackgroundRole(QPalette::ToolTipBase);
    frame->setForegroundRole(QPalette::ToolTipText);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);

    labelHeader = new FittedTextLabel(frame);
    labelHeader->setObjectName(QStringLiteral("labelHeader"));
    QFont bold = labelHeader->font();
    bold.setBold(true);
    labelHeader->setFont(bold);
    labelHeader->setFixedHeight(QFontMetrics(bold).lineSpacing() + 2);
    labelHeader->setFullText(header.trimmed());

    buttonClose = new QToolButton(frame);
    buttonClose->setObjectName(QStringLiteral("buttonClose"));
    buttonClose->setText(QStringLiteral("✕"));
    buttonClose->setToolTip(QStringLiteral("Закрыть"));
    buttonClose->setAccessibleName(QStringLiteral("Закрыть"));
    buttonClose->setAutoRaise(true);
    buttonClose->setFocusPolicy(Qt::NoFocus);
    connect(buttonClose, &QToolButton::clicked, this, [this] { emit closeRequested(this); });

    labelMessage = new FittedTextLabel(frame);
    labelMessage->setObjectName(QStringLiteral("labelMessage"));
    labelMessage->setFullText(message);

    auto* top = new QHBoxLayout;
    top->addWidget(labelHeader, 1);
    top->addWidget(buttonClose, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(8, 4, 4, 6);
    layout->setSpacing(2);
    layout->addLayout(top);
    layout->addWidget(labelMessage, 1);

    const QRect area = availableArea();
    setFixedSize(qMin(kWidth, area.width() - 2 * AlertStack::kMargin),
                 qMin(heightFor(message), area.height() - 2 * AlertStack::kMargin));
}

int AlertWindow::heightFor(const QString& message) {
    return kBaseHeight + kPerLineFeed * CntChRepet(message, QStringLiteral("\n"));
}

AlertStack::AlertStack(Clock clock, QObject* parent)
    : QObject(parent), m_clock(clock ? std::move(clock) : Clock(steadyMs)) {
    m_expiry.setInterval(kCheckMs);
    connect(&m_expiry, &QTimer::timeout, this, &AlertStack::closeExpired);
}

AlertStack::~AlertStack() {
    closeAll();
}

AlertWindow* AlertStack::show(const QString& header, const QString& message) {
    auto* alert = new AlertWindow(header, message, m_clock());
    connect(alert, &AlertWindow::closeRequested, this, &AlertStack::close);
    m_alerts.append(alert);
    arrange();
    alert->show();
    m_expiry.start();
    return alert;
}

QVector<AlertWindow*> AlertStack::alerts() const {
    QVector<AlertWindow*> shown;
    for (const auto& alert : m_alerts) {
        if (alert)
            shown << alert.data();
    }
    return shown;
}

void AlertStack::closeExpired() {
    const qint64 now = m_clock();
    for (AlertWindow* alert : alerts()) {
        if (now - alert->shownAtMs() >= kDisplayMs)
            close(alert);
    }
}

void AlertStack::closeAll() {
    for (AlertWindow* alert : alerts())
        close(alert);
}

void AlertStack::close(AlertWindow* alert) {
    m_alerts.removeAll(alert);
    alert->hide();
    alert->deleteLater();
    arrange();
    if (alerts().isEmpty())
        m_expiry.stop();
}

void AlertStack::arrange() {
    const QRect area = availableArea();
    int bottom = area.bottom() + 1 - kMargin;
    for (AlertWindow* alert : alerts()) {
        const int x = area.right() + 1 - kMargin - alert->width();
        const int y = qMax(area.top() + kMargin, bottom - alert->height());
        alert->move(x, y);
        bottom = y - kSpacing;
    }
}

AlertStack& alertStack() {
    static AlertStack* stack = new AlertStack(); // lives as long as the application
    return *stack;
}

void CreateEvent(const QString& perHeaderText, const QString& perMessageText) {
    alertStack().show(perHeaderText, perMessageText);
}

void showChangeAlerts(const QVector<AlertText>& raised) {
    for (const AlertText& alert : alertsToShow(raised, gperShowEvents))
        CreateEvent(alert.header, alert.message);
}
