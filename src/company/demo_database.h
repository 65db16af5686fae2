#pragma once

#include <QString>

#include <functional>

namespace bdg {

/// The demo database the programs use when no company database is named: demo.sqlite in
/// the user's data folder.
QString defaultDemoDatabase();

/// Builds the demo company at `path` when no file is there yet, telling `building` first
/// (the build takes a moment). DatabaseError on failure; no half-built file is left, so a
/// later start never trusts an interrupted build.
void ensureDemoDatabase(const QString& path,
                        const std::function<void(const QString& path)>& building = {});

} // namespace bdg
