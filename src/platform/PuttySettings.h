#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>

// PuTTY keeps its saved sessions as files of "Key=Value" lines; the file
// "Default%20Settings" holds the defaults that every new connection starts from.

// The folder of PuTTY's session files: $PUTTYSESSIONS; else <dir>/sessions with dir
// = $PUTTYDIR, else $XDG_CONFIG_HOME/putty or ~/.config/putty if that exists, else
// ~/.putty.
QString puttySessionsFolder(const QProcessEnvironment& environment);

// content with the first line of key set to value, or the line added at the end.
// Every other byte, and the line ends, stay as they were.
QByteArray withPuttySetting(const QByteArray& content, const QByteArray& key, const QByteArray& value);

class PuttySettingsStore {
public:
    virtual ~PuttySettingsStore() = default;
    // Sets the default terminal code page. Empty on success, the reason otherwise.
    virtual QString setDefaultCodePage(const QString& codePage) = 0;
};

// Edits Default%20Settings in place: a new folder gets mode 0700, a new file 0600,
// an existing file keeps its mode. The file is replaced whole, so another copy of
// the program writing at the same moment never leaves it half written.
class PuttyFileStore : public PuttySettingsStore {
public:
    explicit PuttyFileStore(QProcessEnvironment environment = QProcessEnvironment::systemEnvironment());
    QString setDefaultCodePage(const QString& codePage) override;
    QString defaultSettingsPath() const;

private:
    QProcessEnvironment m_environment;
};
