#pragma once
// The parameter tests' company database (tests/fixtures/parametri.sql) with its host objects.

#include "host/budget_object.h"
#include "host/form_state.h"
#include "host/host_global.h"
#include "host/message_catalogue.h"
#include "host/message_service.h"
#include "support/test_databases.h"

#include <QDate>
#include <QStringList>
#include <QTest>

namespace bdg::test {

inline QString shipped(int number) {
    return MessageCatalogue::text(number).value_or(QString());
}

struct ParamsCompany : HostedCompany {
    explicit ParamsCompany(const QString& engine) : HostedCompany(engine, rows()) {}

    // The fixture, and this year's group in which company 2 is the main company.
    static QStringList rows() {
        return fixtureRows(QStringLiteral("parametri"))
               << QStringLiteral("INSERT INTO HS05_AZIENDECOLL (HS05_GRUPPO, HS05_ANNO, "
                                 "HS05_DITTA_HS01, HS05_INDPRINCIPALE) VALUES ('G', %1, 2, 0), "
                                 "('G', %1, 1, 1)")
                      .arg(QDate::currentDate().year());
    }

    /// The run's state for a company, as the form has it after start-up.
    FormState state(int codDitta) {
        global.ApriDitta(codDitta);
        budget.setConnection(&connection);
        budget.setStringaConnessione(database.connectionString());
        budget.setIndTipoBudget(5);
        budget.setCodDitta(codDitta);
        FormState result = HostedCompany::state(codDitta);
        result.IndTipoBudget = 5;
        result.CodValutaGestione = QStringLiteral("EUR");
        result.NrDecimaliGestione = 2;
        result.ObjBudget = &budget;
        return result;
    }

    BudgetObject budget;
};

} // namespace bdg::test
