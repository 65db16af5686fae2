#include "app/cli/company_session.h"

#include "app/cli/cli_options.h"
#include "company/company_schema.h"
#include "compare/rst_confronto.h"

#include <QHash>
#include <QTextStream>

namespace bdg::cli {
namespace {

// Budget type of the inquiry: the form sets it at activation.
constexpr std::int32_t IndTipoBudgetInquiry = 5;

const char* const Caption = "Budget per criterio di elaborazione";

Variant firstProgressive(const FormState& state) {
    const auto& progressivi = state.ArrProgEser[0];
    return progressivi.empty() ? Variant(0) : progressivi.front();
}

} // namespace

void appendSet(FormState& state, const SetOption& set) {
    const auto tipo = tipoDettaglio(set.tipo, state.NrForecast);
    if (!tipo)
        throw Refused(QStringLiteral("--set: '%1' is not a kind of figures of subtype %2 "
                                     "(budget, actuals, forecast 1 to %3)")
                          .arg(set.tipo, state.CodSottotipo.toString())
                          .arg(state.NrForecast)
                          .toStdString());
    AddSetValorizzato(state, Variant(QString::number(*tipo)), Variant(set.anno),
                      set.progressivo ? Variant(*set.progressivo) : firstProgressive(state),
                      set.sede.isEmpty() ? Variant::null() : Variant(set.sede.toInt()), set.delta,
                      set.perc);
}

CompanySession::CompanySession(const QString& target, int company, QTextStream& err) {
    QString connectionString = target;
    if (connectionString.isEmpty()) {
        connectionString = defaultDemoDatabase();
        ensureDemoDatabase(connectionString, err);
    }
    m_label = CompanySchema::databaseLabel(connectionString);
    m_connection.Open(connectionString);
    m_global = std::make_unique<HostGlobal>(&m_messages, &m_connection, connectionString);
    m_global->setApplicationTitle(QStringLiteral("bdgintric"));
    try {
        m_global->ApriDitta(company);
    } catch (const HostError& error) {
        throw Refused(QStringLiteral("unknown company %1 in '%2': %3")
                          .arg(company)
                          .arg(m_label, QString::fromUtf8(error.what()))
                          .toStdString());
    }
    m_log = std::make_unique<HostLog>(m_global.get());
    m_budget = std::make_unique<BudgetObject>(&m_connection, connectionString, IndTipoBudgetInquiry,
                                              company);
    m_state.CodDitta = company;
    m_state.CodLingua =
        m_global->CodLingua().isEmpty() ? QStringLiteral("ITA") : m_global->CodLingua();
    m_state.CodValutaGestione = m_global->CodValutaGestione();
    const auto gestione = m_global->DatiValuta(m_state.CodValutaGestione.toString());
    m_state.NrDecimaliGestione = gestione ? gestione->NrDecimali : Variant::null();
    m_state.StringaConnessione = connectionString;
    m_state.Caption = QString::fromUtf8(Caption);
    m_state.connection = &m_connection;
    m_state.Gcls_Global = m_global.get();
    m_state.Gcls_Log = m_log.get();
    m_state.ObjBudget = m_budget.get();
    m_state.IndTipoBudget = IndTipoBudgetInquiry;
}

CompanySession::~CompanySession() {
    // The tables go before the connection they were read from.
    m_state = FormState();
    m_connection.Close();
}

QString optionOfControl(const QString& controllo) {
    static const QHash<QString, QString> options = {
        {QStringLiteral("TXT_SOTTOTIPO"), QStringLiteral("--subtype")},
        {QStringLiteral("TXT_CRITERIO"), QStringLiteral("--criterion")},
        {QStringLiteral("TXT_PERIODO_DA"), QStringLiteral("--from")},
        {QStringLiteral("TXT_PERIODO_A"), QStringLiteral("--to")},
        {QStringLiteral("TXT_VALUTA"), QStringLiteral("--currency")},
        {QStringLiteral("TXT_CAMBIO"), QStringLiteral("--rate")},
        {QStringLiteral("TXT_DATACAMBIO"), QStringLiteral("--rate-date")},
        {QStringLiteral("QGRID_CONFRONTO"), QStringLiteral("--set")},
        {QStringLiteral("TXT_PROFILO"), QStringLiteral("--profile")},
        {QStringLiteral("CHK_CONSOLIDO_MULTIATT"), QStringLiteral("--consolidate")},
    };
    return options.value(controllo, controllo);
}

} // namespace bdg::cli
