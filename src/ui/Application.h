#pragma once

#include "ui/Dialogs.h"

#include <QApplication>
#include <functional>

// Runs one event delivery; an exception that escapes it ends only that handler and
// is shown in an error box with its own text, after which the program goes on.
// Returns what the delivery returned, or false after a failure.
bool deliverReportingErrors(const std::function<bool()>& deliver, Dialogs& dialogs);

// The application object of the program: every event goes through the guard above,
// so a failure that no window handler expected never takes the process down.
class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv, Dialogs& dialogs);
    bool notify(QObject* receiver, QEvent* event) override;

private:
    Dialogs& m_dialogs;
};
