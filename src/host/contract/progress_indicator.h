#pragma once

#include <QString>

namespace bdg {

/// Something that shows the user that a long step runs: the form's progress control
/// forwards to it, so that a host can show a bar of its own (the command line does).
class ProgressIndicator {
public:
    virtual ~ProgressIndicator() = default;

    virtual void start(const QString& caption) = 0;
    virtual void stop() = 0;
};

} // namespace bdg
