#pragma once

#include <QString>

#include <exception>

namespace bdg::test {

/// The message of the exception of type Error that `action` raises, or "no error": a refusal
/// and its text checked in one comparison.
template <typename Error = std::exception, typename Action> QString errorOf(Action&& action) {
    try {
        action();
    } catch (const Error& error) {
        return QString::fromUtf8(error.what());
    }
    return QStringLiteral("no error");
}

} // namespace bdg::test
