#pragma once

#include "ui/GeneralServices.h"

class Dialogs;

// Tree editing and following the other copies' changes in the running program.
class TreeEditServices : public GeneralServices {
public:
    explicit TreeEditServices(Dialogs& dialogs) : m_dialogs(dialogs) {}

private:
    [[maybe_unused]] Dialogs& m_dialogs;
};
