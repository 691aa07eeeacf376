#include "ui/BackupProgressPanel.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

BackupProgressPanel::BackupProgressPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("BackupProgressPanel"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("BackupProgressTitle"));
    m_title->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("BackupProgressBar"));
    m_bar->setRange(0, 0); // the server gives no total, only lines
    m_bar->setTextVisible(false);
    m_bar->setMaximumHeight(10);
    m_lines = new QPlainTextEdit(this);
    m_lines->setObjectName(QStringLiteral("BackupProgressLines"));
    m_lines->setReadOnly(true);
    m_lines->setMaximumBlockCount(kMaxLines);
    m_lines->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_note = new QLabel(kCannotCancelNote, this);
    m_note->setObjectName(QStringLiteral("BackupProgressNote"));
    m_note->setWordWrap(true);
    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("BackupProgressResult"));
    m_result->setWordWrap(true);
    m_result->setTextInteractionFlags(Qt::TextSelectableByMouse);

    layout->addWidget(m_title);
    layout->addWidget(m_bar);
    layout->addWidget(m_lines, 1);
    layout->addWidget(m_note);
    layout->addWidget(m_result);

    m_clock = new QTimer(this);
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &BackupProgressPanel::showElapsed);

    m_bar->hide();
    m_note->hide();
}

void BackupProgressPanel::begin(const QString& title) {
    m_running = true;
    m_titleText = title;
    m_lines->clear();
    m_result->clear();
    m_result->setStyleSheet(QString());
    m_elapsed.start();
    showElapsed();
    m_bar->show();
    m_note->show();
    m_clock->start();
    show();
}

void BackupProgressPanel::addLine(const QString& line) {
    m_lines->appendPlainText(line);
}

void BackupProgressPanel::finish(bool ok, const QString& text) {
    m_running = false;
    m_clock->stop();
    showElapsed();
    m_bar->hide();
    m_note->hide();
    m_result->setText(text);
    m_result->setStyleSheet(ok ? QString() : QStringLiteral("color: #b00000;"));
}

void BackupProgressPanel::showElapsed() {
    const qint64 seconds = m_elapsed.isValid() ? m_elapsed.elapsed() / 1000 : 0;
    m_title->setText(QStringLiteral("%1 (%2:%3)")
                         .arg(m_titleText)
                         .arg(seconds / 60)
                         .arg(seconds % 60, 2, 10, QLatin1Char('0')));
}

QString BackupProgressPanel::title() const {
    return m_title->text();
}

QString BackupProgressPanel::result() const {
    return m_result->text();
}

QStringList BackupProgressPanel::lines() const {
    return m_lines->toPlainText().split(u'\n', Qt::SkipEmptyParts);
}
