#pragma once
// A small company database for the parameter tests: two companies (1 without sites, 2 with
// two sites, 2 the main company of its group this year), currencies with their rates,
// budget subtypes covering each refusal, and four criteria with their mappings.

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

/// A data row named after the engine and the case, with the engine as its first column.
inline QTestData& newEngineRow(const QString& engine, const char* name) {
    return QTest::newRow(qPrintable(engine + QLatin1Char(' ') + QLatin1String(name))) << engine;
}

struct ParamsCompany : CompanyDatabase {
    explicit ParamsCompany(const QString& engine) : CompanyDatabase(engine, rows()) {}

    static QStringList rows() {
        const QString year = QString::number(QDate::currentDate().year());
        return {
            "INSERT INTO HS01_DITTE (HS01_CODICE, HS01_RAGSOC, HS01_VALUTA_HS02, "
            "HS01_GESTIONESEDI, HS01_LINGUA) VALUES (1, 'Alfa', 'EUR', 0, 'ITA'), "
            "(2, 'Beta', 'EUR', 2, 'ITA')",
            "INSERT INTO HS05_AZIENDECOLL (HS05_GRUPPO, HS05_ANNO, HS05_DITTA_HS01, "
            "HS05_INDPRINCIPALE) VALUES ('G', " +
                year + ", 2, 0), ('G', " + year + ", 1, 1)",
            "INSERT INTO CG31_ANADITTASEDI (CG31_DITTA_CG18, CG31_CODICE) VALUES (2, 1), (2, 3)",
            "INSERT INTO CG19_ANADITTAESER (CG19_DITTA_CG18, CG19_ANNO, CG19_PROGESER) "
            "VALUES (1, 2026, 1)",
            "INSERT INTO HS02_VALUTE (HS02_CODICE, HS02_DESCR, HS02_NRDECIMALI) VALUES "
            "('EUR', 'Euro', 2), ('USD', 'Dollaro USA', 2), ('GBP', 'Sterlina', 2), "
            "('JPY', 'Yen', 0)",
            "INSERT INTO HS03_CAMBI (HS03_CODICE_HS02, HS03_VALRIF_HS02, HS03_DATA, "
            "HS03_TIPOCAMBIO, HS03_CAMBIO, HS03_INDCERTOINCERTO) VALUES "
            "('USD', 'EUR', '2026-01-01', 1, 1.25, 1), ('USD', 'EUR', '2026-06-01', 1, 1.1, 1), "
            "('GBP', 'EUR', '2026-01-01', 1, 0.85, 0), ('JPY', 'EUR', '2026-01-01', -1, 160, 0)",
            // One subtype for each refusal and each kind of chart.
            "INSERT INTO HS04_SOTTOTIPI (HS04_INDTIPO_BU01, HS04_CODICE, HS04_DESCR, "
            "HS04_GESTIONESEDE, HS04_PERIODICITA, HS04_NRFORECAST, HS04_MULTIATTIVITA, "
            "HS04_TIPOPDC, HS04_CODICEPDC, HS04_GESTIONESTRUTTURA, HS04_CODICE_BU60) VALUES "
            "(5, 'MENS', 'Sottotipo MENS', 0, 0, 2, 0, 1, 'G1', 0, NULL), "
            "(5, 'TRIM', 'Sottotipo TRIM', 0, 2, 0, 0, 2, 'CEE', 0, NULL), "
            "(5, 'QUAD', 'Sottotipo QUAD', 0, 3, 1, 0, 3, 'RIC', 1, 'S1'), "
            "(5, 'STR2', 'Sottotipo STR2', 0, 1, 0, 0, 2, 'CEE', 1, 'S9'), "
            "(5, 'PER9', 'Sottotipo PER9', 0, 9, 0, 0, 1, 'G1', 0, NULL), "
            "(5, 'KPDC0', 'Sottotipo KPDC0', 0, 0, 0, 0, 0, 'G1', 0, NULL), "
            "(5, 'KPDC4', 'Sottotipo KPDC4', 0, 0, 0, 0, 4, NULL, 0, NULL), "
            "(5, 'NOPDC', 'Sottotipo NOPDC', 0, 0, 0, 0, 1, NULL, 0, NULL), "
            "(5, 'SEDI', 'Sottotipo SEDI', 1, 0, 0, 0, 1, 'G1', 0, NULL), "
            "(5, 'MULTI1', 'Sottotipo MULTI1', 0, 0, 0, 1, 1, 'G1', 0, NULL), "
            "(5, 'MULTI2', 'Sottotipo MULTI2', 0, 0, 0, 2, 1, 'G1', 0, NULL)",
            "INSERT INTO BU51_CRITERIELAB (BU51_CODICE, BU51_DESCR) VALUES "
            "('CR1', 'Conto economico'), ('CR2', 'Senza struttura'), ('CR3', 'Altro gruppo'), "
            "('CRS', 'Per struttura')",
            "INSERT INTO BU19_VOCICRITELAB (BU19_CODICE, BU19_DESCR, BU19_INDTIPOVOCE) "
            "VALUES ('V1', 'Ricavi', 0)",
            "INSERT INTO BU20_STRUTTURACRIT (BU20_CODICE_BU51, BU20_CODICE_BU19, "
            "BU20_CODPADRE_BU19, BU20_POSIZIONE) VALUES ('CR1', 'V1', NULL, 1), "
            "('CR3', 'V1', NULL, 1), ('CRS', 'V1', NULL, 1)",
            "INSERT INTO BU50_CORRPDCVOCI (BU50_ID, BU50_CODICE_BU51, BU50_CODICE_BU19, "
            "BU50_GRUPPO_CG10, BU50_CONTO_CG24, BU50_CODICE_CG21, BU50_CODICE_CG23, "
            "BU50_CONTO_BU61, BU50_CODICE_BU60) VALUES "
            "(1, 'CR1', 'V1', 'G1', '100', NULL, NULL, NULL, NULL), "
            "(2, 'CR1', 'V1', NULL, NULL, 'CEE', 'A1', NULL, NULL), "
            "(3, 'CR3', 'V1', 'G2', '200', NULL, NULL, NULL, NULL), "
            "(4, 'CR3', 'V1', 'G1', NULL, NULL, NULL, NULL, NULL), "
            "(5, 'CRS', 'V1', NULL, NULL, NULL, NULL, '10', 'S1')",
        };
    }

    /// The run's state for a company, as the form has it after start-up.
    FormState state(int codDitta) {
        global.ApriDitta(codDitta);
        budget.setConnection(&connection);
        budget.setStringaConnessione(database.connectionString());
        budget.setIndTipoBudget(5);
        budget.setCodDitta(codDitta);
        FormState result;
        result.CodDitta = codDitta;
        result.IndTipoBudget = 5;
        result.CodValutaGestione = QStringLiteral("EUR");
        result.NrDecimaliGestione = 2;
        result.Caption = QStringLiteral("Interrogazione budget");
        result.connection = &connection;
        result.Gcls_Global = &global;
        result.ObjBudget = &budget;
        result.StringaConnessione = database.connectionString();
        return result;
    }

    RecordingMessageService messages;
    HostGlobal global{&messages, &connection, database.connectionString()};
    BudgetObject budget;
};

} // namespace bdg::test
