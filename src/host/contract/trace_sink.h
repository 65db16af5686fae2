#pragma once

#include <QString>

namespace bdg {

/// Where the lines that trace the creation and destruction of the module's objects go
/// ("WOBN:|<instance id>|INI|BUUO_BDGINTRIC|<class>"): the debugger output on the desktop.
class TraceSink {
public:
    virtual ~TraceSink() = default;

    virtual void trace(const QString& line) = 0;
};

} // namespace bdg
