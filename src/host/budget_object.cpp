#include "host/budget_object.h"

#include "data/connection.h"
#include "data/recordset.h"
#include "data/sql_literal.h"

#include <array>

namespace bdg {

namespace {

// The budget-subtype table of the host, one row per budget kind and subtype.
const QString TabellaSottotipi = QStringLiteral("HS04_SOTTOTIPI");
const QString ColTipo = QStringLiteral("HS04_INDTIPO_BU01");
const QString ColSottotipo = QStringLiteral("HS04_CODICE");
const QString ColGestioneSede = QStringLiteral("HS04_GESTIONESEDE");
const QString ColSolareFiscale = QStringLiteral("HS04_PERIODOSOLAREFISCALE");
const QString ColPeriodicita = QStringLiteral("HS04_PERIODICITA");
const QString ColNumeroForecast = QStringLiteral("HS04_NRFORECAST");
const QString ColMultiAttivita = QStringLiteral("HS04_MULTIATTIVITA");
const QString ColTipoPdc = QStringLiteral("HS04_TIPOPDC");
const QString ColCodicePdc = QStringLiteral("HS04_CODICEPDC");
const QString ColGestioneStruttura = QStringLiteral("HS04_GESTIONESTRUTTURA");
const QString ColCodiceStruttura = QStringLiteral("HS04_CODICE_BU60");

// The financial years of the companies.
const QString TabellaEsercizi = QStringLiteral("CG19_ANADITTAESER");
const QString ColEsercizioDitta = QStringLiteral("CG19_DITTA_CG18");
const QString ColEsercizioAnno = QStringLiteral("CG19_ANNO");
const QString ColEsercizioProgressivo = QStringLiteral("CG19_PROGESER");
const QString ColEsercizioInizio = QStringLiteral("CG19_DATAINIZIO");

const QString CrLf = QStringLiteral("\r\n");

const std::array<const char*, 12> NomiMesi = {"Gennaio",   "Febbraio", "Marzo",    "Aprile",
                                              "Maggio",    "Giugno",   "Luglio",   "Agosto",
                                              "Settembre", "Ottobre",  "Novembre", "Dicembre"};

// Name of the period kind of each periodicity code, after its ordinal ("2° Trimestre").
const std::array<const char*, 6> NomiPeriodi = {"",         "Bimestre", "Trimestre", "Quadrimestre",
                                                "Semestre", ""};

Decimal numberOf(const Variant& value, const char* role) {
    if (value.isNullOrBlank())
        return Decimal(0);
    const std::optional<Decimal> number = value.toDecimal();
    if (!number)
        throw DecimalError(QStringLiteral("%1 '%2' is not a number")
                               .arg(QLatin1String(role), value.toString())
                               .toStdString());
    return *number;
}

} // namespace

BudgetObject::BudgetObject(Connection* connection, const QString& stringaConnessione,
                           std::int32_t indTipoBudget, std::int32_t codDitta)
    : m_connection(connection), m_stringaConnessione(stringaConnessione),
      m_indTipoBudget(indTipoBudget), m_codDitta(codDitta) {}

bool BudgetObject::EsisteSottotipo(std::int32_t indTipoBudget, const QString& codSottotipo) const {
    if (m_connection == nullptr)
        throw BudgetObjectError("the budget object has no connection");
    const QString sql =
        QStringLiteral(" SELECT COUNT(*) AS NR ") + CrLf +
        QStringLiteral(" FROM   %1 WITH(NOLOCK) ").arg(TabellaSottotipi) + CrLf +
        QStringLiteral(" WHERE  %1 = %2 ").arg(ColTipo).arg(indTipoBudget) + CrLf +
        QStringLiteral(" AND    %1 = %2 ").arg(ColSottotipo, sqlText(codSottotipo)) + CrLf;
    const RecordsetPtr rows = m_connection->Execute(sql);
    rows->MoveFirst();
    return !rows->Eof() && rows->value(0).toInt64().value_or(0) > 0;
}

Variant BudgetObject::property(std::int32_t indTipoBudget, const QString& codSottotipo,
                               const QString& column) const {
    if (m_connection == nullptr)
        throw BudgetObjectError("the budget object has no connection");
    const QString sql =
        QStringLiteral(" SELECT %1 ").arg(column) + CrLf +
        QStringLiteral(" FROM   %1 WITH(NOLOCK) ").arg(TabellaSottotipi) + CrLf +
        QStringLiteral(" WHERE  %1 = %2 ").arg(ColTipo).arg(indTipoBudget) + CrLf +
        QStringLiteral(" AND    %1 = %2 ").arg(ColSottotipo, sqlText(codSottotipo)) + CrLf;
    const RecordsetPtr rows = m_connection->Execute(sql);
    rows->MoveFirst();
    if (rows->Eof())
        throw BudgetObjectError(
            QStringLiteral("budget subtype '%1' of budget kind %2 does not exist")
                .arg(codSottotipo)
                .arg(indTipoBudget)
                .toStdString());
    return rows->value(0);
}

std::int32_t BudgetObject::intProperty(std::int32_t indTipoBudget, const QString& codSottotipo,
                                       const QString& column) const {
    const Variant value = property(indTipoBudget, codSottotipo, column);
    if (value.isNullOrBlank())
        return 0;
    const std::optional<std::int32_t> number = value.toInt32();
    if (!number)
        throw BudgetObjectError(QStringLiteral("%1 of budget subtype '%2' is not an integer: '%3'")
                                    .arg(column, codSottotipo, value.toString())
                                    .toStdString());
    return *number;
}

bool BudgetObject::GestioneSede(std::int32_t indTipoBudget, const QString& codSottotipo) const {
    return intProperty(indTipoBudget, codSottotipo, ColGestioneSede) != 0;
}

std::int32_t BudgetObject::PeriodoSolareFiscale(std::int32_t indTipoBudget,
                                                const QString& codSottotipo) const {
    return intProperty(indTipoBudget, codSottotipo, ColSolareFiscale);
}

std::int32_t BudgetObject::Periodicita(std::int32_t indTipoBudget,
                                       const QString& codSottotipo) const {
    return intProperty(indTipoBudget, codSottotipo, ColPeriodicita);
}

std::int32_t BudgetObject::NumeroForecast(std::int32_t indTipoBudget,
                                          const QString& codSottotipo) const {
    const std::int32_t forecast = intProperty(indTipoBudget, codSottotipo, ColNumeroForecast);
    if (forecast < 0 || forecast > MaxNumeroForecast)
        throw BudgetObjectError(QStringLiteral("%1 of budget subtype '%2' is %3; a subtype keeps "
                                               "0 to %4 forecasts")
                                    .arg(ColNumeroForecast, codSottotipo)
                                    .arg(forecast)
                                    .arg(MaxNumeroForecast)
                                    .toStdString());
    return forecast;
}

std::int16_t BudgetObject::MultiAttivita(std::int32_t indTipoBudget,
                                         const QString& codSottotipo) const {
    return static_cast<std::int16_t>(intProperty(indTipoBudget, codSottotipo, ColMultiAttivita));
}

std::int32_t BudgetObject::TipoPdc(std::int32_t indTipoBudget, const QString& codSottotipo) const {
    return intProperty(indTipoBudget, codSottotipo, ColTipoPdc);
}

Variant BudgetObject::CodicePdc(std::int32_t indTipoBudget, const QString& codSottotipo) const {
    return property(indTipoBudget, codSottotipo, ColCodicePdc);
}

bool BudgetObject::GestioneStruttura(std::int32_t indTipoBudget,
                                     const QString& codSottotipo) const {
    return intProperty(indTipoBudget, codSottotipo, ColGestioneStruttura) != 0;
}

Variant BudgetObject::CodiceStruttura(std::int32_t indTipoBudget,
                                      const QString& codSottotipo) const {
    return property(indTipoBudget, codSottotipo, ColCodiceStruttura);
}

std::int16_t BudgetObject::NumeroPeriodi(std::int32_t codPeriodicita) {
    static constexpr std::array<std::int16_t, 6> periodi = {12, 6, 4, 3, 2, 1};
    if (codPeriodicita < 0 || codPeriodicita >= std::int32_t(periodi.size()))
        return 0;
    return periodi[std::size_t(codPeriodicita)];
}

Variant BudgetObject::DesMultiAttivita(std::int32_t indMultiAttivita) {
    switch (indMultiAttivita) {
    case 0:
        return QStringLiteral("Ditta singola");
    case 1:
        return QStringLiteral("Consolidabile dalla ditta principale");
    case 2:
        return QStringLiteral("Gestita solo dalla ditta principale");
    default:
        return Variant::null();
    }
}

Variant BudgetObject::DesPeriodoSolareFiscale(std::int32_t indPeriodoSolareFiscale) {
    if (indPeriodoSolareFiscale == PeriodoSolare)
        return QStringLiteral("Periodo solare");
    if (indPeriodoSolareFiscale == PeriodoFiscale)
        return QStringLiteral("Periodo fiscale");
    return Variant::null();
}

Variant BudgetObject::DesPeriodicita(std::int32_t codPeriodicita) {
    static constexpr std::array<const char*, 6> descrizioni = {
        "Mensile", "Bimestrale", "Trimestrale", "Quadrimestrale", "Semestrale", "Annuale"};
    if (codPeriodicita < 0 || codPeriodicita >= std::int32_t(descrizioni.size()))
        return Variant::null();
    return QString::fromUtf8(descrizioni[std::size_t(codPeriodicita)]);
}

Variant BudgetObject::DesTipoPdc(std::int32_t indTipoPdc) {
    switch (indTipoPdc) {
    case 1:
        return QStringLiteral("Piano dei conti generale");
    case 2:
        return QStringLiteral("Schema di bilancio CEE");
    case 3:
        return QStringLiteral("Piano dei conti riclassificato");
    default:
        return Variant::null();
    }
}

Variant BudgetObject::Delta(const Variant& value, const Variant& reference) {
    if (value.isNullOrBlank() && reference.isNullOrBlank())
        return Variant::null();
    return numberOf(value, "value") - numberOf(reference, "reference");
}

Variant BudgetObject::DeltaPerc(const Variant& value, const Variant& reference) {
    if (reference.isNullOrBlank())
        return Variant::null();
    const Decimal base = numberOf(reference, "reference");
    if (base.isZero())
        return Variant::null();
    const Decimal difference = numberOf(value, "value") - base;
    return difference.divide(base.abs(), 6, Rounding::HalfAwayFromZero);
}

QDate BudgetObject::InizioEsercizio(std::int32_t codDitta, const Variant& anno,
                                    const Variant& progEser) const {
    const std::optional<std::int32_t> year = NVL(anno, Variant::null()).toInt32();
    const std::optional<std::int32_t> progressive = NVL(progEser, 0).toInt32();
    if (!year)
        return QDate();
    const QDate january(*year, 1, 1);
    if (m_connection == nullptr || !progressive)
        return january;
    const QString sql =
        QStringLiteral(" SELECT %1 ").arg(ColEsercizioInizio) + CrLf +
        QStringLiteral(" FROM   %1 WITH(NOLOCK) ").arg(TabellaEsercizi) + CrLf +
        QStringLiteral(" WHERE  %1 = %2 ").arg(ColEsercizioDitta).arg(codDitta) + CrLf +
        QStringLiteral(" AND    %1 = %2 ").arg(ColEsercizioAnno).arg(*year) + CrLf +
        QStringLiteral(" AND    %1 = %2 ").arg(ColEsercizioProgressivo).arg(*progressive) + CrLf;
    const RecordsetPtr rows = m_connection->Execute(sql);
    rows->MoveFirst();
    if (rows->Eof())
        return january;
    const QDate start = QDate::fromString(rows->value(0).toString().left(10), Qt::ISODate);
    return start.isValid() ? start : january;
}

QString BudgetObject::DescrizionePeriodo(std::int32_t codDitta, std::int32_t codPeriodicita,
                                         std::int32_t indPeriodoSolareFiscale, std::int16_t periodo,
                                         const Variant& anno, const Variant& progEser) const {
    const std::int16_t periodi = NumeroPeriodi(codPeriodicita);
    const std::optional<std::int32_t> year = NVL(anno, Variant::null()).toInt32();
    if (periodi == 0 || periodo < 1 || periodo > periodi || !year)
        return QString();
    if (codPeriodicita == 5)
        return QStringLiteral("Anno %1").arg(*year);
    if (codPeriodicita != 0) {
        // Numbered periods count within the financial year and so carry its year.
        return QStringLiteral("%1° %2 %3")
            .arg(periodo)
            .arg(QString::fromUtf8(NomiPeriodi[std::size_t(codPeriodicita)]))
            .arg(*year);
    }
    // Months are named as the calendar names them, so a financial year that starts in July
    // has "Gennaio" of the following year as its seventh period.
    const QDate start = indPeriodoSolareFiscale == PeriodoFiscale
                            ? InizioEsercizio(codDitta, anno, progEser)
                            : QDate(*year, 1, 1);
    const QDate month = start.addMonths(periodo - 1);
    return QStringLiteral("%1 %2")
        .arg(QString::fromUtf8(NomiMesi[std::size_t(month.month() - 1)]))
        .arg(month.year());
}

} // namespace bdg
