#pragma once

#include <QString>

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void setText(const QString& text) = 0;
};

// The desktop's clipboard; use on the user-interface thread.
class QtClipboard : public Clipboard {
public:
    void setText(const QString& text) override;
};
