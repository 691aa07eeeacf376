#pragma once

#include "ui/GeneralServices.h"

class Dialogs;

// Connections, session watchers and hotkeys of the running program.
class LaunchServices : public GeneralServices {
public:
    explicit LaunchServices(Dialogs& dialogs) : m_dialogs(dialogs) {}

private:
    [[maybe_unused]] Dialogs& m_dialogs;
};
