#pragma once

#include "ui/GeneralServices.h"
#include "update/UpdateConfig.h"

#include <QPointer>
#include <memory>
#include <vector>

class Dialogs;
class GeneralKeysCaseHost;
class GeneralSetingsHost;
class TfmKeysCase;
class TfmSelectIcon;
class TfmSetings;
class UpdateHttp;

// Settings, key-set manager, placement, update check, icon picker and notes toolbar of the running program.
// The windows it opens (settings, key-set manager, icon picker) refer to it: it
// closes them when it goes.
class SettingsServices : public GeneralServices {
public:
    // updates: where the update check looks; http: its client, by default one of its own.
    explicit SettingsServices(Dialogs& dialogs, UpdateConfig updates = UpdateConfig::builtIn(),
                              UpdateHttp* http = nullptr);
    ~SettingsServices() override;
    SettingsServices(const SettingsServices&) = delete;
    SettingsServices& operator=(const SettingsServices&) = delete;

    void TUpdateApp(TfmGeneral& window, const QString& perVersion) override;
    void POSITION_FORM_ON_MONITOR(QWidget* form, int perMONITOR, int perPOSITION) override;
    void BitBtn5Click(TfmGeneral& window) override;
    void Image1Click(TfmGeneral& window) override;
    void BitBtn12Click(TfmGeneral& window, int keySetId) override;
    void notesToolbar(TfmGeneral& window, const QString& action) override;
    void RichEditNotesSelectionChange(TfmGeneral& window) override;

private:
    struct Hosts;
    Hosts& hostsFor(TfmGeneral& window);

    Dialogs& m_dialogs;
    UpdateConfig m_updates;
    UpdateHttp* m_http;
    // Kept for as long as this object lives: a window that is closing may still refer to them.
    std::vector<std::unique_ptr<Hosts>> m_hosts;
    QPointer<TfmSetings> m_setings;
    QPointer<TfmKeysCase> m_keysCase;
    QPointer<TfmSelectIcon> m_picker;
};
