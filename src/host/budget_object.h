#pragma once

#include "data/variant.h"

#include <QDate>
#include <QString>

#include <cstdint>
#include <stdexcept>

namespace bdg {

class Connection;

/// Raised when the budget object is asked about a subtype that the subtype table does not
/// hold, or before it was given a connection. The text names the budget kind and subtype.
class BudgetObjectError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The host's budget object (ObjBudget): properties of a budget subtype, the arithmetic of
/// the difference columns and the texts of budget periods.
///
/// Subtype properties are read from the budget-subtype table of the company database, one
/// row per budget kind and subtype code; a Null property counts as 0 (or false), except the
/// chart and structure codes, which are handed over as they are stored.
///
/// Periodicity codes: 0 monthly (12 periods), 1 two-monthly (6), 2 quarterly (4),
/// 3 four-monthly (3), 4 half-yearly (2), 5 yearly (1). Calendar/fiscal indicator: 0 the
/// periods follow the calendar year, 1 they follow the company's financial year.
class BudgetObject {
public:
    static constexpr std::int32_t PeriodoSolare = 0;
    static constexpr std::int32_t PeriodoFiscale = 1;
    /// Forecasts a subtype may keep: their column labels ("Fo1" ... "F99") have three
    /// characters, and the comparison lists are sized by the number.
    static constexpr std::int32_t MaxNumeroForecast = 99;

    BudgetObject() = default;
    /// Sets everything the form sets right after creation.
    BudgetObject(Connection* connection, const QString& stringaConnessione,
                 std::int32_t indTipoBudget, std::int32_t codDitta);

    // Set-up.
    void setConnection(Connection* connection) { m_connection = connection; }
    void setStringaConnessione(const QString& text) { m_stringaConnessione = text; }
    void setIndTipoBudget(std::int32_t indTipoBudget) { m_indTipoBudget = indTipoBudget; }
    void setCodDitta(std::int32_t codDitta) { m_codDitta = codDitta; }
    Connection* connection() const { return m_connection; }
    QString StringaConnessione() const { return m_stringaConnessione; }
    std::int32_t IndTipoBudget() const { return m_indTipoBudget; }
    std::int32_t CodDitta() const { return m_codDitta; }

    // Subtype properties; BudgetObjectError for an unknown subtype.
    bool EsisteSottotipo(std::int32_t indTipoBudget, const QString& codSottotipo) const;
    bool GestioneSede(std::int32_t indTipoBudget, const QString& codSottotipo) const;
    std::int32_t PeriodoSolareFiscale(std::int32_t indTipoBudget,
                                      const QString& codSottotipo) const;
    std::int32_t Periodicita(std::int32_t indTipoBudget, const QString& codSottotipo) const;
    /// BudgetObjectError when the subtype table holds more than MaxNumeroForecast or less
    /// than none.
    std::int32_t NumeroForecast(std::int32_t indTipoBudget, const QString& codSottotipo) const;
    std::int16_t MultiAttivita(std::int32_t indTipoBudget, const QString& codSottotipo) const;
    std::int32_t TipoPdc(std::int32_t indTipoBudget, const QString& codSottotipo) const;
    Variant CodicePdc(std::int32_t indTipoBudget, const QString& codSottotipo) const;
    bool GestioneStruttura(std::int32_t indTipoBudget, const QString& codSottotipo) const;
    Variant CodiceStruttura(std::int32_t indTipoBudget, const QString& codSottotipo) const;

    /// Number of periods of a periodicity code (12, 6, 4, 3, 2, 1); 0 for any other code.
    static std::int16_t NumeroPeriodi(std::int32_t codPeriodicita);

    // Descriptions for the labels; Null for a code without one.
    static Variant DesMultiAttivita(std::int32_t indMultiAttivita);
    static Variant DesPeriodoSolareFiscale(std::int32_t indPeriodoSolareFiscale);
    static Variant DesPeriodicita(std::int32_t codPeriodicita);
    static Variant DesTipoPdc(std::int32_t indTipoPdc);

    /// value − reference, a missing operand (Empty, Null, blank) counting as 0; Null when
    /// both are missing. DecimalError for an operand that is not a number.
    static Variant Delta(const Variant& value, const Variant& reference);
    /// (value − reference) / |reference| as a fraction (0.25 is 25 %), rounded to 6
    /// decimals half away from zero; a missing value counts as 0; Null when the reference
    /// is missing or 0.
    static Variant DeltaPerc(const Variant& value, const Variant& reference);

    /// The Italian text of a period: "Gennaio 2026", "1° Bimestre 2026", "2° Trimestre
    /// 2026", "1° Quadrimestre 2026", "2° Semestre 2026", "Anno 2026". With the fiscal
    /// indicator the periods start in the month in which the company's financial year
    /// (`anno`, `progEser`) starts; months carry their calendar year, numbered periods
    /// the year of the financial year. Empty for a period outside the periodicity or a
    /// missing year.
    QString DescrizionePeriodo(std::int32_t codDitta, std::int32_t codPeriodicita,
                               std::int32_t indPeriodoSolareFiscale, std::int16_t periodo,
                               const Variant& anno, const Variant& progEser) const;

    /// First day of the financial year `anno`/`progEser` of a company, from the
    /// financial-year table; 1 January of `anno` when the table has no start for it, an
    /// invalid date when `anno` is missing.
    QDate InizioEsercizio(std::int32_t codDitta, const Variant& anno,
                          const Variant& progEser) const;

private:
    Variant property(std::int32_t indTipoBudget, const QString& codSottotipo,
                     const QString& column) const;
    std::int32_t intProperty(std::int32_t indTipoBudget, const QString& codSottotipo,
                             const QString& column) const;

    Connection* m_connection = nullptr;
    QString m_stringaConnessione;
    std::int32_t m_indTipoBudget = 0;
    std::int32_t m_codDitta = 0;
};

} // namespace bdg
