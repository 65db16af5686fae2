#include "app/cli/company_session.h"

#include "app/cli/cli_options.h"
#include "company/company_data_check.h"

#include <QHash>
#include <QTextStream>

namespace bdg::cli {
namespace {

const char* const Caption = "Budget per criterio di elaborazione";

Variant firstProgressive(const FormState& state) {
    const auto& progressivi = state.ArrProgEser[0];
    return progressivi.empty() ? Variant(0) : progressivi.front();
}

// A cell of the new set as the user fills it in the grid; the grid refusing a value the
// form offers is a fault of the program.
void fillCell(GridModel& grid, const QString& field, const Variant& value) {
    if (!grid.editCell(field, value))
        throw std::logic_error(
            QStringLiteral("the comparison grid refused %1").arg(field).toStdString());
}

} // namespace

void prepareComparisonList(FRMBU_BDGINTRIC& form) {
    if (form.QGRID_CONFRONTO.dataSource())
        return;
    form.InitQGridConfronto();
    if (!form.DefinisciRstConfronto())
        throw DatabaseError("the comparison list could not be created");
    form.QGRID_CONFRONTO.setDataSource(form.state().RstConfronto);
}

void appendSet(FRMBU_BDGINTRIC& form, const SetOption& set) {
    FormState& state = form.state();
    const auto tipo = tipoDettaglio(set.tipo, state.NrForecast);
    if (!tipo)
        throw Refused(QStringLiteral("--set: '%1' is not a kind of figures of subtype %2 "
                                     "(budget, actuals, forecast 1 to %3)")
                          .arg(set.tipo, form.TXT_SOTTOTIPO.code())
                          .arg(state.NrForecast)
                          .toStdString());
    form.BUT_QGRID_PIU_ButtonClick();
    GridModel& grid = form.QGRID_CONFRONTO;
    fillCell(grid, QStringLiteral("CFR_TIPODETT"), Variant(QString::number(*tipo)));
    fillCell(grid, QStringLiteral("CFR_ANNO"), Variant(set.anno));
    fillCell(grid, QStringLiteral("CFR_PROGESER"),
             set.progressivo ? Variant(*set.progressivo) : firstProgressive(state));
    if (!set.sede.isEmpty()) {
        if (grid.column(u"CFR_SEDE") != nullptr)
            fillCell(grid, QStringLiteral("CFR_SEDE"), Variant(set.sede.toInt()));
        else
            state.RstConfronto->setValue(u"CFR_SEDE", Variant(set.sede.toInt()));
    }
    if (set.delta)
        grid.clickCheckBox(QStringLiteral("CFR_DELTA"));
    if (set.perc)
        grid.clickCheckBox(QStringLiteral("CFR_DELTA_PERC"));
}

CompanySession::CompanySession(const QString& target, int company, QTextStream& err) {
    m_ditta = std::make_unique<DittaAperta>(target, m_messages, [&err](const QString& path) {
        err << "bdgintric: building the demo company in '" << path << "' (first use)\n";
        err.flush();
    });
    try {
        m_ditta->apriDitta(company);
    } catch (const HostError& error) {
        throw Refused(QStringLiteral("unknown company %1 in '%2': %3")
                          .arg(company)
                          .arg(label(), QString::fromUtf8(error.what()))
                          .toStdString());
    }
    m_module.setClsGlobal(&global());
    m_module.setActiveNavigator(&m_navigator);
    m_module.setCaption(QString::fromUtf8(Caption));
    m_form = std::make_unique<FRMBU_BDGINTRIC>();
    m_form->setActiveInterface(&m_module);
    m_form->setCaption(m_module.Caption().toString());
    m_form->Form_Activate();
    if (!m_form->isLoaded())
        throw std::runtime_error(
            QStringLiteral("company %1 in '%2' has no usable management currency")
                .arg(company)
                .arg(label())
                .toStdString());
    // The form reads the company through a connection of its own.
    CompanyDataCheck::install(m_form->connection());
}

CompanySession::~CompanySession() {
    // The form and its tables go before the connection they were read from.
    m_form.reset();
    m_ditta.reset();
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
