#pragma once

#include "ui/Dialogs.h"

#include <QStringList>
#include <deque>
#include <optional>

// Answers questions from a queue, remembers every box, and records the exit code
// instead of ending the test program.
class FakeDialogs : public Dialogs {
public:
    std::deque<Answer> answers; // next answers; an empty queue answers "closed"
    QString nextFileName;       // empty: the dialog was cancelled
    QString nextFolderName;     // empty: the dialog was cancelled
    QString nextSaveFileName;   // empty: the dialog was cancelled
    QString offeredSaveName;    // what the last save dialog suggested
    QStringList questions;
    QStringList errors;
    QStringList infos;
    std::optional<int> exitCode;

    Answer askWarning(QWidget*, const QString& text) override {
        questions << text;
        if (answers.empty())
            return Answer::Closed;
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void showError(QWidget*, const QString& text) override { errors << text; }
    void showInfo(QWidget*, const QString& text) override { infos << text; }
    QString openFileName(QWidget*) override { return nextFileName; }
    QString folderName(QWidget*) override { return nextFolderName; }
    QString saveFileName(QWidget*, const QString& suggestedName, const QString&) override {
        offeredSaveName = suggestedName;
        return nextSaveFileName;
    }
    void exitProcess(int code) override { exitCode = code; }
};
