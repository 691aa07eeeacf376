#include "ui/Application.h"

#include "fb/Error.h"

#include <QApplication>
#include <exception>

bool deliverReportingErrors(const std::function<bool()>& deliver, Dialogs& dialogs) {
    QString text;
    try {
        return deliver();
    } catch (const fb::Error& error) {
        text = error.text();
    } catch (const std::exception& error) {
        text = QString::fromUtf8(error.what());
    } catch (...) {
        text = QStringLiteral("Неизвестная ошибка");
    }
    dialogs.showError(QApplication::activeWindow(), text);
    return false;
}

TApplication::TApplication(int& argc, char** argv, Dialogs& dialogs)
    : QApplication(argc, argv), m_dialogs(dialogs) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    return deliverReportingErrors([&] { return QApplication::notify(receiver, event); }, m_dialogs);
}
