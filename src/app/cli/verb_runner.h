#pragma once

#include <QString>
#include <QTextStream>

#include <functional>

namespace bdg::cli {

/// Runs the body of a verb with the reporting every verb shares: a usage error prints the
/// message and the verb's usage (status 2), a refused parameter or an impossible size its
/// message (status 2), anything else is a database or file error (status 4).
int runVerb(const QString& verb, const char* usage,
            const std::function<int(QTextStream& out, QTextStream& err)>& body);

} // namespace bdg::cli
