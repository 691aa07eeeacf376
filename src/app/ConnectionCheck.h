#pragma once

#include "app/Variable.h"

// Trying connection parameters without touching the run's connection.

// Attaches with params on an attachment of its own and closes it again at once.
// Throws fb::Error with the server's text when that fails. True when it is the
// database the run works on (or the run has none to compare with: false then).
bool testConnectToBase(const type_StuctureIniFile& params);

// Section BASE of config.ini, as ReadParamConnectToBase reads it, without changing
// ConfIniFile.
type_StuctureIniFile readSavedConnection();
