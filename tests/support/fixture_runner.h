#pragma once

// Runs the elaboration on a fixture company and compares its two result tables with the
// expected tables written by hand beside it.
//
// A fixture is three files in tests/fixtures: NAME.sql builds the company's rows on the empty
// schema; NAME.criterio.tsv and NAME.periodi.tsv hold every field of every row of RstCriterio
// (in KEY_VOCE order) and RstCriterioPeriodi (in KEY_VOCE, PERIODO order): a header line with
// the field names, then one line per row, fields separated by tabs, Null as an empty cell,
// decimals with their field's scale.
//
// The run's parameters are comment lines at the top of NAME.sql:
//
//   -- @sottotipo SB1                 budget subtype (budget type 5)
//   -- @criterio CR01                 criterion
//   -- @insieme 0:2026:1:             one line per comparison set, in list order:
//                                     detail type, year, progressive, site (empty = Null)
//   -- @periodi 1:3                   period range (empty parts read as 1, like the form)
//   -- @valuta USD:1,5:divisore       currency typed by the user, its rate and whether the
//                                     rate divides (optional)
//   -- @nascondi_null 1               CHK_NASCONDI_NULL
//   -- @consolida 1                   CHK_CONSOLIDO_MULTIATT
//   -- @messaggio TEXT                one line per message the run shows, in order; "\r\n"
//                                     stands for a line break inside the text

#include "company/company_schema.h"
#include "compare/column_arrays.h"
#include "compare/rst_confronto.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "engine/elabora.h"
#include "host/associated_companies.h"
#include "host/budget_object.h"
#include "host/form_state.h"
#include "host/host_global.h"
#include "host/host_log.h"
#include "host/message_service.h"
#include "support/test_databases.h"

#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>

namespace bdg::test {

/// One comparison set as the user enters it in the grid.
struct FixtureSet {
    QString tipo;
    Variant anno;
    Variant progEser;
    Variant sede;
};

/// The run's parameters read from the comment lines of a fixture's SQL.
struct FixtureParams {
    QString sottotipo;
    QString criterio;
    QList<FixtureSet> insiemi;
    Variant periodoDa;
    Variant periodoA;
    Variant valuta;
    Variant cambio;
    bool cambioDivisore = false;
    bool nascondiNull = true;
    bool consolida = false;
    QStringList messaggi;
};

inline Variant cellValue(const QString& text) {
    return text.isEmpty() ? Variant::null() : Variant(text);
}

inline void applyParam(FixtureParams& params, const QString& key, const QString& value) {
    if (key == QLatin1String("sottotipo"))
        params.sottotipo = value;
    else if (key == QLatin1String("criterio"))
        params.criterio = value;
    else if (key == QLatin1String("insieme")) {
        const QStringList parts = value.split(QLatin1Char(':'));
        params.insiemi << FixtureSet{parts.value(0), cellValue(parts.value(1)),
                                     cellValue(parts.value(2)), cellValue(parts.value(3))};
    } else if (key == QLatin1String("periodi")) {
        params.periodoDa = cellValue(value.section(QLatin1Char(':'), 0, 0));
        params.periodoA = cellValue(value.section(QLatin1Char(':'), 1, 1));
    } else if (key == QLatin1String("valuta")) {
        params.valuta = cellValue(value.section(QLatin1Char(':'), 0, 0));
        params.cambio = cellValue(value.section(QLatin1Char(':'), 1, 1));
        params.cambioDivisore = value.section(QLatin1Char(':'), 2, 2) == QLatin1String("divisore");
    } else if (key == QLatin1String("nascondi_null"))
        params.nascondiNull = value == QLatin1String("1");
    else if (key == QLatin1String("consolida"))
        params.consolida = value == QLatin1String("1");
    else if (key == QLatin1String("messaggio")) {
        QString text = value;
        params.messaggi << text.replace(QStringLiteral("\\r\\n"), QStringLiteral("\r\n"));
    }
}

inline FixtureParams parseParams(const QString& sql) {
    static const QRegularExpression pattern(QStringLiteral(R"(^--\s*@(\w+)\s?(.*)$)"));
    FixtureParams params;
    for (const QString& line : sql.split(QLatin1Char('\n'))) {
        const auto match = pattern.match(line.trimmed());
        if (match.hasMatch())
            applyParam(params, match.captured(1), match.captured(2).trimmed());
    }
    return params;
}

/// A value as the expected tables write it.
inline QString cellText(const FieldDef& field, const Variant& value) {
    if (value.isNullOrEmpty())
        return QString();
    if (field.type == FieldType::Decimal) {
        const auto decimal = value.toDecimal();
        return decimal ? decimal->rescaled(field.scale).toString() : value.toString();
    }
    QString text = value.toString();
    if (field.type == FieldType::WChar) {
        while (text.endsWith(QLatin1Char(' ')))
            text.chop(1);
    }
    return text;
}

/// The table as lines of cells, header first, in the order `sort`.
inline QList<QStringList> tableCells(const Recordset& table, const QString& sort) {
    Recordset view = table.Clone();
    view.setSort(sort);
    QList<QStringList> lines;
    QStringList header;
    for (int i = 0; i < view.fieldCount(); ++i)
        header << view.field(i).name;
    lines << header;
    for (view.MoveFirst(); !view.Eof(); view.MoveNext()) {
        QStringList row;
        for (int i = 0; i < view.fieldCount(); ++i)
            row << cellText(view.field(i), view.value(i));
        lines << row;
    }
    return lines;
}

inline QList<QStringList> readTsv(const QString& text) {
    QList<QStringList> lines;
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        lines << line.split(QLatin1Char('\t'));
    }
    return lines;
}

/// The first differences between expected and actual lines, named by row key and field;
/// empty when the tables are equal.
inline QString compareCells(const QList<QStringList>& expected, const QList<QStringList>& actual,
                            int keyFields) {
    if (expected.isEmpty() || actual.isEmpty())
        return QStringLiteral("an empty table");
    if (expected.first() != actual.first())
        return QStringLiteral("fields differ:\n  expected %1\n  actual   %2")
            .arg(expected.first().join(QLatin1Char(' ')), actual.first().join(QLatin1Char(' ')));
    const QStringList& header = expected.first();
    QStringList differences;
    if (expected.size() != actual.size())
        differences << QStringLiteral("%1 rows expected, %2 found")
                           .arg(expected.size() - 1)
                           .arg(actual.size() - 1);
    for (int row = 1; row < qMin(expected.size(), actual.size()); ++row) {
        const QStringList& want = expected[row];
        const QStringList& got = actual[row];
        for (int field = 0; field < header.size(); ++field) {
            if (want.value(field) == got.value(field))
                continue;
            const QString key = got.mid(0, keyFields).join(QLatin1Char('/'));
            differences << QStringLiteral("row %1 (key %2) %3: expected '%4', found '%5'")
                               .arg(row)
                               .arg(key, header[field], want.value(field), got.value(field));
        }
        if (differences.size() >= 12)
            break;
    }
    return differences.join(QLatin1Char('\n'));
}

/// A fixture company built on one engine, with the host objects the form creates.
class FixtureCompany {
public:
    explicit FixtureCompany(const QString& engine) : m_database(engine) {}

    /// Creates the schema and runs `sql`; false with errorText() when something failed.
    bool build(const QString& sql) {
        return build([&sql](Connection& connection) {
            CompanySchema::create(connection);
            for (const QString& statement : scriptStatements(sql))
                connection.ExecuteNonQuery(statement);
        });
    }

    /// Builds the fixture company `name` from its .sql file.
    bool buildFixture(const QString& name) {
        const auto sql = readTextFile(fixturePath(name, QStringLiteral(".sql")));
        return sql ? build(*sql) : fail(QStringLiteral("fixture %1 has no .sql file").arg(name));
    }

    /// Fills the fresh database with `fill` and sets up the host objects on it.
    bool build(const std::function<void(Connection&)>& fill) {
        if (!m_database.isValid())
            return fail(m_database.errorText());
        try {
            m_connection.Open(m_database.connectionString());
            fill(m_connection);
            m_global = std::make_unique<HostGlobal>(&m_messages, &m_connection,
                                                    m_database.connectionString());
            m_global->ApriDitta(1);
            m_log = std::make_unique<HostLog>(m_global.get(),
                                              m_logFolder.filePath(QStringLiteral("run.log")));
            m_budget =
                std::make_unique<BudgetObject>(&m_connection, m_database.connectionString(), 5, 1);
        } catch (const std::exception& error) {
            return fail(QString::fromUtf8(error.what()));
        }
        return true;
    }

    /// The form state after the parameter steps for `params`, with the comparison list.
    bool prepare(FormState& state, const FixtureParams& params) {
        try {
            fillContext(state);
            fillSubtype(state, params);
            if (!fillSets(state, params))
                return fail(QStringLiteral("the comparison list could not be filled"));
            state.IsCambioDivisore = params.cambioDivisore;
            ImpostaValutaEFormato(state, ValutaElaborazione{params.valuta, params.cambio});
        } catch (const std::exception& error) {
            return fail(QString::fromUtf8(error.what()));
        }
        return true;
    }

    Connection& connection() { return m_connection; }
    /// What a program opens the company with.
    QString connectionString() const { return m_database.connectionString(); }
    HostGlobal& global() { return *m_global; }
    RecordingMessageService& messages() { return m_messages; }
    QString errorText() const { return m_error; }

private:
    bool fail(const QString& text) {
        m_error = text;
        return false;
    }

    void fillContext(FormState& state) {
        state.CodDitta = 1;
        state.CodLingua =
            m_global->CodLingua().isEmpty() ? QStringLiteral("ITA") : m_global->CodLingua();
        state.CodValutaGestione = m_global->CodValutaGestione();
        const auto gestione = m_global->DatiValuta(state.CodValutaGestione.toString());
        state.NrDecimaliGestione = gestione ? gestione->NrDecimali : Variant::null();
        state.StringaConnessione = m_database.connectionString();
        state.Caption = QStringLiteral("Budget per criterio");
        state.connection = &m_connection;
        state.Gcls_Global = m_global.get();
        state.Gcls_Log = m_log.get();
        state.ObjBudget = m_budget.get();
        state.IndTipoBudget = 5;
    }

    // The subtype's properties as the subtype step reads them from the budget object. The
    // main-company question is asked for the first set's year rather than today's, so
    // that the fixtures do not age.
    void fillSubtype(FormState& state, const FixtureParams& params) {
        const BudgetObject& budget = *m_budget;
        const QString sottotipo = params.sottotipo;
        state.CodSottotipo = sottotipo;
        state.IsGestioneSede = budget.GestioneSede(5, sottotipo);
        state.IndPeriodoSolareFiscale = budget.PeriodoSolareFiscale(5, sottotipo);
        state.CodPeriodicita = budget.Periodicita(5, sottotipo);
        state.NrPeriodi = BudgetObject::NumeroPeriodi(state.CodPeriodicita);
        state.NrForecast = budget.NumeroForecast(5, sottotipo);
        state.IndMultiAttivita = budget.MultiAttivita(5, sottotipo);
        state.IndTipoPdc = budget.TipoPdc(5, sottotipo);
        state.CodPdc = budget.CodicePdc(5, sottotipo);
        state.CodStrutturaBU60 = budget.GestioneStruttura(5, sottotipo)
                                     ? budget.CodiceStruttura(5, sottotipo)
                                     : Variant::null();
        const Variant anno =
            params.insiemi.isEmpty() ? Variant::null() : params.insiemi.first().anno;
        state.IsMultiAttivita =
            state.IndMultiAttivita == 1 && GetIsAziendaCorrentePrincipalePerAnno(state, anno);
        state.IsConsolidoMultiAtt = state.IsMultiAttivita && params.consolida;
        state.CodCriterio = params.criterio;
        state.ChkNascondiNull = params.nascondiNull;
        state.PeriodoDa = params.periodoDa.isNullOrEmpty() ? Variant(1) : params.periodoDa;
        state.PeriodoA = params.periodoA.isNullOrEmpty() ? Variant(1) : params.periodoA;
    }

    bool fillSets(FormState& state, const FixtureParams& params) {
        if (!PopolaArray(state) || !DefinisciRstConfronto(state))
            return false;
        for (const FixtureSet& set : params.insiemi)
            AddSetValorizzato(state, set.tipo, set.anno, set.progEser, set.sede);
        state.NrConfronti = std::int16_t(state.RstConfronto->RecordCount());
        return true;
    }

    TestDatabase m_database;
    Connection m_connection;
    RecordingMessageService m_messages;
    QTemporaryDir m_logFolder;
    std::unique_ptr<HostGlobal> m_global;
    std::unique_ptr<HostLog> m_log;
    std::unique_ptr<BudgetObject> m_budget;
    QString m_error;
};

} // namespace bdg::test
