#pragma once

#include <QString>

#include <functional>

namespace bdg {

/// The demo database the programs use when no company database is named: demo.sqlite in
/// the user's data folder.
QString defaultDemoDatabase();

/// Builds an SQLite company database at `path` through `build`, which receives the path of a
/// scratch file beside it; the scratch file is moved into place only when complete, so a
/// failure leaves neither a half-made file nor a lost old one. DatabaseError naming `path`.
void buildSqliteFileInPlace(const QString& path, const std::function<void(const QString&)>& build);

/// Builds the demo company at `path` when no file is there yet, telling `building` first
/// (the build takes a moment). DatabaseError on failure; no half-built file is left, so a
/// later start never trusts an interrupted build.
void ensureDemoDatabase(const QString& path,
                        const std::function<void(const QString& path)>& building = {});

} // namespace bdg
