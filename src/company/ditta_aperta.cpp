#include "company/ditta_aperta.h"

#include "company/company_schema.h"
#include "company/demo_database.h"

namespace bdg {

DittaAperta::DittaAperta(const QString& target, MessageService& messages,
                         const std::function<void(const QString& path)>& avvisoDemo)
    : m_stringa(target) {
    if (m_stringa.isEmpty()) {
        m_stringa = defaultDemoDatabase();
        ensureDemoDatabase(m_stringa, avvisoDemo);
    }
    m_etichetta = CompanySchema::databaseLabel(m_stringa);
    m_connection.Open(m_stringa);
    CompanySchema::check(m_connection);
    m_global = std::make_unique<HostGlobal>(&messages, &m_connection, m_stringa);
    m_global->setApplicationTitle(QStringLiteral("bdgintric"));
}

void DittaAperta::apriDitta(int company) {
    m_global->ApriDitta(company);
}

// The host's services go before the connection they read through.
DittaAperta::~DittaAperta() {
    m_global.reset();
    m_connection.Close();
}

} // namespace bdg
