#pragma once

#include <QString>

// Finds the programs that the launcher starts.
class ProgramLocator {
public:
    virtual ~ProgramLocator() = default;
    // Full path of an executable program, or empty. A name with a slash is taken as a
    // path and only checked. besideUsFirst looks in our own executable's folder before
    // the search path.
    virtual QString findProgram(const QString& name, bool besideUsFirst) = 0;
};

class SystemProgramLocator : public ProgramLocator {
public:
    QString findProgram(const QString& name, bool besideUsFirst) override;
};
