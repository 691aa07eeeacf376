#pragma once

#include <QString>

class QWidget;

// Modal boxes, the file dialog and ending the process, behind one seam so that
// window tests can answer them and see what was shown.
class Dialogs {
public:
    enum class Answer { Yes, No, Closed };

    virtual ~Dialogs() = default;

    // A warning box with the buttons Yes and No.
    virtual Answer askWarning(QWidget* parent, const QString& text) = 0;
    // The same under a caption of its own.
    virtual Answer askWarningWithCaption(QWidget* parent, const QString& caption, const QString& text) {
        (void)caption;
        return askWarning(parent, text);
    }
    // An error box with the error's own text.
    virtual void showError(QWidget* parent, const QString& text) = 0;
    // A plain information box with one OK button.
    virtual void showInfo(QWidget* parent, const QString& text) = 0;
    // An open-file dialog without a filter; empty text when cancelled.
    virtual QString openFileName(QWidget* parent) = 0;
    // A dialog choosing an existing folder; empty text when cancelled.
    virtual QString folderName(QWidget* parent) = 0;
    // A save-file dialog offering suggestedName under a filter such as
    // "CSV (*.csv)"; empty text when cancelled.
    virtual QString saveFileName(QWidget* parent, const QString& suggestedName, const QString& filter) {
        (void)parent;
        (void)suggestedName;
        (void)filter;
        return {};
    }
    // Ends the process at once. A fake may return; callers stop what they do then.
    virtual void exitProcess(int exitCode) = 0;
};

// The real boxes of Qt and the real end of the process.
class QtDialogs : public Dialogs {
public:
    Answer askWarning(QWidget* parent, const QString& text) override;
    Answer askWarningWithCaption(QWidget* parent, const QString& caption, const QString& text) override;
    void showError(QWidget* parent, const QString& text) override;
    void showInfo(QWidget* parent, const QString& text) override;
    QString openFileName(QWidget* parent) override;
    QString folderName(QWidget* parent) override;
    QString saveFileName(QWidget* parent, const QString& suggestedName, const QString& filter) override;
    void exitProcess(int exitCode) override;
};

// The program's instance, used where no other one is passed in.
Dialogs& qtDialogs();
