#include "ui/Dialogs.h"

#include "platform/ProcessExit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

Dialogs::Answer QtDialogs::askWarning(QWidget* parent, const QString& text) {
    return askWarningWithCaption(parent, QApplication::applicationDisplayName(), text);
}

Dialogs::Answer QtDialogs::askWarningWithCaption(QWidget* parent, const QString& caption,
                                                 const QString& text) {
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Yes | QMessageBox::No, parent);
    // Without this, Escape and the close box would count as "No"; closing is its own answer.
    QAbstractButton* closeButton = box.addButton(QMessageBox::Cancel);
    closeButton->hide();
    box.setEscapeButton(closeButton);
    box.exec();
    if (box.clickedButton() == box.button(QMessageBox::Yes))
        return Answer::Yes;
    if (box.clickedButton() == box.button(QMessageBox::No))
        return Answer::No;
    return Answer::Closed;
}

void QtDialogs::showError(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, QApplication::applicationDisplayName(), text);
}

void QtDialogs::showInfo(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, QApplication::applicationDisplayName(), text);
}

QString QtDialogs::openFileName(QWidget* parent) {
    return QFileDialog::getOpenFileName(parent);
}

QString QtDialogs::folderName(QWidget* parent) {
    return QFileDialog::getExistingDirectory(parent);
}

QString QtDialogs::saveFileName(QWidget* parent, const QString& suggestedName, const QString& filter) {
    return QFileDialog::getSaveFileName(parent, QString(), suggestedName, filter);
}

void QtDialogs::exitProcess(int exitCode) {
    terminateProcess(exitCode);
}

Dialogs& qtDialogs() {
    static QtDialogs instance;
    return instance;
}
