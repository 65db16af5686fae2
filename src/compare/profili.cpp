#include "compare/profili.h"

#include "compare/rst_confronto.h"
#include "data/connection.h"
#include "data/sql_literal.h"
#include "host/error_trap.h"
#include "host/form_state.h"
#include "host/host_global.h"
#include "host/message_service.h"

#include <stdexcept>

namespace bdg {

namespace {

const QString Attenzione = QStringLiteral("Attenzione");

bool vuoto(const Variant& value) {
    return NVL(value, Variant(QString())).toString().isEmpty();
}

Connection& connessione(const FormState& state) {
    if (state.connection == nullptr)
        throw std::runtime_error("no company database is open");
    return *state.connection;
}

AvvisoProfilo mostra(FormState& state, const QString& testo, int stile, const QString& titolo) {
    if (state.Gcls_Global != nullptr)
        state.Gcls_Global->ShowMessage(testo, stile, titolo);
    return AvvisoProfilo{testo, stile, titolo};
}

QString sqlCancella(const QString& nome) {
    return QStringLiteral(" DELETE  BU68_BDGINTRIC \r\n WHERE   BU68_NOME = ") + sqlText(nome) +
           QStringLiteral("\r\n");
}

// A set is stored only when it is complete and its site fits the subtype's site management.
bool daSalvare(const FormState& state, const Recordset& rst) {
    for (const char16_t* campo : {u"CFR_SEQUENZA", u"CFR_TIPODETT", u"CFR_ANNO", u"CFR_PROGESER"}) {
        if (vuoto(rst.value(QStringView(campo))))
            return false;
    }
    return vuoto(rst.value(u"CFR_SEDE")) != state.IsGestioneSede;
}

QString sqlInserisci(const FormState& state, const Recordset& rst, const QString& nome) {
    QString colonne = QStringLiteral(" INSERT INTO BU68_BDGINTRIC \r\n     ( \r\n"
                                     "        BU68_NOME \r\n       ,BU68_SEQUENZA \r\n"
                                     "       ,BU68_TIPO \r\n       ,BU68_ANNO \r\n"
                                     "       ,BU68_PROGESER \r\n");
    QString valori =
        QStringLiteral(" VALUES      ( \r\n        ") + sqlText(nome) + QStringLiteral("\r\n");
    const auto valore = [&](const char16_t* campo, const Variant& value) {
        valori += QStringLiteral("       ,") + sqlNumber(value, QString::fromUtf16(campo)) +
                  QStringLiteral("\r\n");
    };
    valore(u"CFR_SEQUENZA", rst.value(u"CFR_SEQUENZA"));
    valore(u"CFR_TIPODETT", rst.value(u"CFR_TIPODETT"));
    valore(u"CFR_ANNO", rst.value(u"CFR_ANNO"));
    valore(u"CFR_PROGESER", rst.value(u"CFR_PROGESER"));
    if (state.IsGestioneSede) {
        colonne += QStringLiteral("       ,BU68_CODICE_CG31 \r\n");
        valore(u"CFR_SEDE", rst.value(u"CFR_SEDE"));
    }
    colonne += QStringLiteral("       ,BU68_DELTA \r\n       ,BU68_DELTA_PERC \r\n     ) \r\n");
    valore(u"CFR_DELTA", NVL(rst.value(u"CFR_DELTA"), Variant(0)));
    valore(u"CFR_DELTA_PERC", NVL(rst.value(u"CFR_DELTA_PERC"), Variant(0)));
    return colonne + valori + QStringLiteral("     ) \r\n");
}

// Every statement of a save: the delete of the old profile, then one insert per set.
QStringList istruzioniSalvataggio(const FormState& state, const QString& nome) {
    QStringList istruzioni{sqlCancella(nome)};
    Recordset rst = state.RstConfronto->Clone();
    rst.setSort(QStringLiteral("CFR_SEQUENZA"));
    for (rst.MoveFirst(); !rst.Eof(); rst.MoveNext()) {
        if (daSalvare(state, rst))
            istruzioni.append(sqlInserisci(state, rst, nome));
    }
    return istruzioni;
}

// Why a name cannot be stored: longer than the column, or holding characters that would
// break a line of the profile list; nothing for a good name.
std::optional<QString> erroreNome(const QString& nome) {
    if (nome.toUcs4().size() > LunghezzaNomeProfilo)
        return QStringLiteral("Il nome del profilo supera i %1 caratteri!")
            .arg(LunghezzaNomeProfilo);
    for (const QChar carattere : nome) {
        const QChar::Category categoria = carattere.category();
        if (categoria == QChar::Other_Control || categoria == QChar::Separator_Line ||
            categoria == QChar::Separator_Paragraph)
            return QStringLiteral("Il nome del profilo contiene caratteri non ammessi (a capo, "
                                  "tabulazioni o altri caratteri di controllo)!");
    }
    return std::nullopt;
}

// Runs the statements as one transaction, so that a failure leaves the stored profile as
// it was instead of half replaced.
void eseguiInTransazione(Connection& connection, const QStringList& istruzioni) {
    connection.BeginTrans();
    try {
        for (const QString& sql : istruzioni)
            connection.ExecuteNonQuery(sql);
        connection.CommitTrans();
    } catch (...) {
        connection.RollbackTrans();
        throw;
    }
}

// The first site message a stored profile gives for the subtype; nothing when it fits.
std::optional<QString> erroreSedi(const FormState& state, Recordset& letti) {
    for (letti.MoveFirst(); !letti.Eof(); letti.MoveNext()) {
        const bool senzaSede = vuoto(letti.value(u"BU68_CODICE_CG31"));
        if (senzaSede && state.IsGestioneSede)
            return QStringLiteral(
                "Il budget gestisce le sedi, il profilo/confronto selezionato no ! ");
        if (!senzaSede && !state.IsGestioneSede)
            return QStringLiteral(
                "Il budget non gestisce le sedi, il profilo/confronto selezionato si!");
    }
    return std::nullopt;
}

void aggiungiSet(FormState& state, const Recordset& letto) {
    Recordset& rst = *state.RstConfronto;
    rst.AddNew();
    rst.setValue(u"CFR_SEQUENZA", letto.value(u"BU68_SEQUENZA"));
    rst.setValue(u"CFR_TIPODETT", Variant(letto.value(u"BU68_TIPO").toString()));
    rst.setValue(u"CFR_DITTA", Variant(state.CodDitta));
    rst.setValue(u"CFR_ANNO", letto.value(u"BU68_ANNO"));
    rst.setValue(u"CFR_PROGESER", letto.value(u"BU68_PROGESER"));
    if (state.IsGestioneSede && !vuoto(letto.value(u"BU68_CODICE_CG31")))
        rst.setValue(u"CFR_SEDE", letto.value(u"BU68_CODICE_CG31"));
    rst.setValue(u"CFR_DELTA", NVL(letto.value(u"BU68_DELTA"), Variant(0)));
    rst.setValue(u"CFR_DELTA_PERC", NVL(letto.value(u"BU68_DELTA_PERC"), Variant(0)));
    rst.Update();
}

bool completo(const Recordset& letto) {
    for (const char16_t* campo : {u"BU68_SEQUENZA", u"BU68_TIPO", u"BU68_ANNO", u"BU68_PROGESER"}) {
        if (vuoto(letto.value(QStringView(campo))))
            return false;
    }
    return true;
}

} // namespace

QStringList ElencoProfili(Connection& connection) {
    RecordsetPtr rst =
        connection.Execute(QStringLiteral(" SELECT DISTINCT \r\n"
                                          "          BU68_NOME \r\n"
                                          " FROM     BU68_BDGINTRIC WITH(NOLOCK) \r\n"
                                          " ORDER BY BU68_NOME \r\n"));
    QStringList nomi;
    for (rst->MoveFirst(); !rst->Eof(); rst->MoveNext())
        nomi.append(rst->value(u"BU68_NOME").toString());
    return nomi;
}

std::optional<AvvisoProfilo> BUT_BU68_SALVA_ButtonClick(FormState& state,
                                                        const Variant& TXT_PROFILO, bool* salvato) {
    if (salvato != nullptr)
        *salvato = false;
    if (state.RstConfronto)
        state.RstConfronto->clearFilter();
    if (!state.RstConfronto || state.RstConfronto->RecordCount() == 0)
        return mostra(state, QStringLiteral("Il Profilo non contiene records!"),
                      MessageStyle::Exclamation, Attenzione);
    if (vuoto(TXT_PROFILO))
        return mostra(state, QStringLiteral("Indicare un nome profilo!"), MessageStyle::Exclamation,
                      Attenzione);

    const QString nome = TXT_PROFILO.toString();
    if (const auto errore = erroreNome(nome))
        return mostra(state, *errore, MessageStyle::Exclamation, Attenzione);
    ErrorTrap trap(state, QStringLiteral("BUT_BU68_SALVA_ButtonClick"));
    QStringList istruzioni;
    if (!trap([&] { istruzioni = istruzioniSalvataggio(state, nome); }))
        return std::nullopt;
    // Only the delete of the old profile: storing it would replace the profile by nothing.
    if (istruzioni.size() < 2)
        return mostra(state,
                      QStringLiteral("Nessun confronto del profilo è completo e adatto alla "
                                     "gestione delle sedi del sottotipo: profilo non salvato!"),
                      MessageStyle::Exclamation, Attenzione);
    const bool fatto = trap([&] { eseguiInTransazione(connessione(state), istruzioni); });
    if (salvato != nullptr)
        *salvato = fatto && trap.errorCount() == 0;
    return std::nullopt;
}

bool BUT_BU68_DELETE_ButtonClick(FormState& state, const Variant& TXT_PROFILO, int* cancellati) {
    if (cancellati != nullptr)
        *cancellati = 0;
    if (vuoto(TXT_PROFILO))
        return true;
    ErrorTrap trap(state, QStringLiteral("BUT_BU68_DELETE_ButtonClick"));
    int righe = 0;
    if (!trap([&] {
            righe = connessione(state).ExecuteNonQuery(sqlCancella(TXT_PROFILO.toString()));
        }))
        return false;
    if (cancellati != nullptr)
        *cancellati = righe;
    if (!state.RstConfronto)
        return true;
    return RstConfrontoDelete(state);
}

std::optional<AvvisoProfilo> PopolaRstConfrontoDaBU68(FormState& state, const Variant& nome,
                                                      bool& Cancel) {
    if (vuoto(nome))
        return std::nullopt;
    ErrorTrap trap(state, QStringLiteral("PopolaRstConfrontoDaBU68"));
    RecordsetPtr letti;
    const QString sql = QStringLiteral(" SELECT  * \r\n"
                                       " FROM    BU68_BDGINTRIC WITH(NOLOCK) \r\n"
                                       " WHERE   BU68_NOME = ") +
                        sqlText(nome.toString()) +
                        QStringLiteral("\r\n ORDER BY BU68_SEQUENZA \r\n");
    if (!trap([&] { letti = connessione(state).Execute(sql); }) || !letti ||
        letti->RecordCount() == 0)
        return std::nullopt;
    if (const auto errore = erroreSedi(state, *letti)) {
        Cancel = true;
        return mostra(state, *errore, MessageStyle::Exclamation, state.Caption);
    }
    if (!state.RstConfronto && !DefinisciRstConfronto(state))
        return std::nullopt;
    for (letti->MoveFirst(); !letti->Eof(); letti->MoveNext()) {
        if (completo(*letti) && !trap([&] { aggiungiSet(state, *letti); }))
            break;
    }
    return std::nullopt;
}

} // namespace bdg
