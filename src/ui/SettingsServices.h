#pragma once

#include "ui/GeneralServices.h"

class Dialogs;

// Settings, key-set manager, placement, update check, icon picker and notes toolbar of the running program.
class SettingsServices : public GeneralServices {
public:
    explicit SettingsServices(Dialogs& dialogs) : m_dialogs(dialogs) {}

private:
    [[maybe_unused]] Dialogs& m_dialogs;
};
