#pragma once

#include "data/connection.h"
#include "host/host_global.h"

#include <QString>

#include <functional>
#include <memory>

namespace bdg {

/// A company database as the programs open it for the inquiry: the connection and the
/// host's global services (Gcls_Global) over it, with the company chosen.
class DittaAperta {
public:
    /// Opens `target` (an SQLite file or a PostgreSQL connection); the demo database,
    /// built on first use, when `target` is empty, `avvisoDemo` being told before the build
    /// (it takes a moment). DatabaseError when the database cannot be opened or is not a
    /// company database of the version this program reads.
    DittaAperta(const QString& target, MessageService& messages,
                const std::function<void(const QString& path)>& avvisoDemo = {});
    ~DittaAperta();
    DittaAperta(const DittaAperta&) = delete;
    DittaAperta& operator=(const DittaAperta&) = delete;

    /// Reads the company's settings; HostError for a company the database does not hold.
    void apriDitta(int company);

    HostGlobal& global() { return *m_global; }
    Connection& connection() { return m_connection; }
    /// The database as a person names it (a file path, or the server and database).
    QString etichetta() const { return m_etichetta; }
    QString stringaConnessione() const { return m_stringa; }

private:
    Connection m_connection;
    std::unique_ptr<HostGlobal> m_global;
    QString m_stringa;
    QString m_etichetta;
};

} // namespace bdg
