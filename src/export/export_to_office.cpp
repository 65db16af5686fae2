#include "export/export_to_office.h"

#include "engine/totali_criterio.h"
#include "export/colonne_albero.h"
#include "form/frmbu_bdgintric.h"
#include "form/testo_campo.h"
#include "host/budget_object.h"
#include "host/contract/cinterface.h"
#include "host/error_trap.h"
#include "host/host_global.h"
#include "host/message_catalogue.h"

#include <QHash>

namespace bdg {
namespace {

const QString CampoVoce = QStringLiteral("VOCE");
const QString CampoVoceDes = QStringLiteral("VOCEDES");
const QString CampoPeriodo = QStringLiteral("PERIODO");
const QString CampoLivello = QStringLiteral("LIVELLONODO");
const QString CampoOrdinamento = QStringLiteral("ORDINAMENTO");
const QString CampoTipoVoce = QStringLiteral("TIPOVOCE");
const QString CampoChiave = QStringLiteral("KEY_VOCE");
const QString DidascaliaPeriodi = QStringLiteral("Periodi");
const QString TestoTotale = QStringLiteral("Totale");

// A node's own row among its period rows.
constexpr int PeriodoTotale = 99;
constexpr int TipoVoceCriterio = 4;
constexpr int LunghezzaPeriodo = 50;
constexpr int TrattiPerLivello = 5;

bool stessoCampo(const QString& campo, const QString& nome) {
    return campo.compare(nome, Qt::CaseInsensitive) == 0;
}

void campoIntero(Recordset& rst, const QString& nome, int cifre) {
    rst.appendField(nome, FieldType::Decimal);
    rst.setPrecision(rst.fieldCount() - 1, cifre);
    rst.setNumericScale(rst.fieldCount() - 1, 0);
}

// The kind code of an exported column: amounts and differences carry the run's decimals.
int tipoColonna(const QString& campo, int decimali) {
    if (!campo.startsWith(QStringLiteral("DEL"), Qt::CaseInsensitive) &&
        !campo.startsWith(QStringLiteral("IMP"), Qt::CaseInsensitive))
        return TipoColonnaOffice::Testo;
    const bool ammessi = decimali >= 0 && decimali <= TipoColonnaOffice::DecimaliMassimi;
    return TipoColonnaOffice::Numero + (ammessi ? decimali : DecimaliPredefiniti);
}

// The difference fields of a node table by set: "DELTA_IMP3" gives 3.
std::optional<int> insiemeDifferenza(const QString& campo, const QString& prefisso) {
    if (!campo.startsWith(prefisso, Qt::CaseInsensitive))
        return std::nullopt;
    bool ok = false;
    const int insieme = campo.mid(prefisso.size()).toInt(&ok);
    return ok && insieme >= 2 ? std::optional<int>(insieme) : std::nullopt;
}

// The working state of one assembly: the node table in display order (every grid column,
// the node's level, and in period mode the period and the node's position) and the table
// handed to the host (the visible columns only).
class AssemblaggioOffice {
public:
    explicit AssemblaggioOffice(FRMBU_BDGINTRIC& form)
        : m_form(form), m_albero(form.TGRID_BDGINTRIC), m_colonne(m_albero.columns()),
          m_periodi(form.PeriodiVisibili), m_scala(form.state().NrDecimali) {}

    void definisci(RecordsetPtr& office);
    void aggiungiNodi(ErrorTrap& trap);
    void aggiungiPeriodi(ErrorTrap& trap);
    void ricalcolaDifferenze(ErrorTrap& trap);
    ArrayVariant testata() const;
    void popola(ErrorTrap& trap, Recordset& office);

private:
    int scalaDi(const GridColumn& colonna) const {
        return isCampoPercentuale(colonna.field) ? ScalaPercentuale : m_scala;
    }
    Variant valoreNodo(int nodo, int colonna) const;
    void aggiungiPeriodiDi(ErrorTrap& trap, Recordset& periodi, Recordset& nodo);
    QString filtroPeriodi(Recordset& nodo) const;
    QString descrizionePeriodo(const Variant& periodo);

    FRMBU_BDGINTRIC& m_form;
    const TreeGridModel& m_albero;
    const GridColumns& m_colonne;
    bool m_periodi;
    int m_scala;
    RecordsetPtr m_nodi = std::make_shared<Recordset>();
    int m_colonnaPeriodo = -1; ///< the grid column right after VOCEDES
    QHash<int, QString> m_descrizioni;
};

void AssemblaggioOffice::definisci(RecordsetPtr& office) {
    Recordset& nodi = *m_nodi;
    office = std::make_shared<Recordset>();
    for (int colonna = 0; colonna < m_colonne.size(); ++colonna) {
        const GridColumn& definizione = m_colonne.at(colonna);
        // The working table holds the codes as they are, without a limit of size.
        if (definizione.kind == TipoColonnaAlbero::Testo)
            nodi.appendField(definizione.field, FieldType::VarWChar);
        else
            DefinisciCampoColonna(nodi, definizione, scalaDi(definizione));
        if (definizione.visible)
            DefinisciCampoColonna(*office, definizione, scalaDi(definizione),
                                  lunghezzaTesto(m_albero, colonna, TrattiPerLivello));
        if (stessoCampo(definizione.field, CampoVoce))
            campoIntero(nodi, CampoLivello, 10);
        if (!stessoCampo(definizione.field, CampoVoceDes))
            continue;
        m_colonnaPeriodo = colonna + 1;
        if (!m_periodi)
            continue;
        campoIntero(nodi, CampoPeriodo, 2);
        campoIntero(nodi, CampoOrdinamento, 10);
        office->appendField(CampoPeriodo, FieldType::VarWChar, LunghezzaPeriodo);
    }
    if (!nodi.fieldIndex(CampoLivello))
        campoIntero(nodi, CampoLivello, 10);
    if (!nodi.fieldIndex(CampoChiave))
        nodi.appendField(CampoChiave, FieldType::BigInt);
    nodi.Open();
    office->Open();
}

Variant AssemblaggioOffice::valoreNodo(int nodo, int colonna) const {
    const QString& campo = m_colonne.at(colonna).field;
    if (stessoCampo(campo, CampoVoce) || stessoCampo(campo, CampoVoceDes))
        return m_albero.nodeValue(nodo, campo);
    const Variant valore = m_albero.cellValue(nodo, colonna);
    return isCampoPercentuale(campo) ? percentualeEsportata(valore) : valore;
}

void AssemblaggioOffice::aggiungiNodi(ErrorTrap& trap) {
    Recordset& nodi = *m_nodi;
    int ordinamento = 0;
    for (int nodo = m_albero.firstNode(); nodo >= 0 && !trap.left();
         nodo = m_albero.nextNode(nodo)) {
        ++ordinamento;
        trap([&] {
            aggiungiRiga(nodi, [&] {
                for (int colonna = 0; colonna < m_colonne.size(); ++colonna) {
                    if (nodi.fieldIndex(m_colonne.at(colonna).field))
                        nodi.setValue(m_colonne.at(colonna).field, valoreNodo(nodo, colonna));
                }
                nodi.setValue(CampoLivello, Variant(m_albero.nodeLevel(nodo)));
                nodi.setValue(CampoChiave, m_albero.nodeValue(nodo, CampoChiave));
                if (!m_periodi)
                    return;
                nodi.setValue(CampoPeriodo, Variant(PeriodoTotale));
                nodi.setValue(CampoOrdinamento, Variant(ordinamento));
            });
        });
    }
}

// The node's rows of the run's periods. The node's key narrows the code, so that two nodes
// sharing a code (an account under two natures) each get their own periods.
QString AssemblaggioOffice::filtroPeriodi(Recordset& nodo) const {
    const FormState& state = m_form.state();
    const auto da = state.PeriodoDa.toInt32();
    const auto a = state.PeriodoA.toInt32();
    if (!da || !a)
        throw std::runtime_error("the run's period range is not a number");
    QString filtro = QStringLiteral(" VOCE = ") + FiltroTesto(testoCampo(nodo.value(CampoVoce)));
    const auto chiave = nodo.value(CampoChiave).toInt64();
    if (chiave)
        filtro += QStringLiteral("\r\n AND KEY_VOCE = ") + QString::number(*chiave);
    return filtro + QStringLiteral("\r\n AND TIPOVOCE <> 4 \r\n AND PERIODO >= ") +
           QString::number(*da) + QStringLiteral(" AND PERIODO <= ") + QString::number(*a);
}

void AssemblaggioOffice::aggiungiPeriodiDi(ErrorTrap& trap, Recordset& periodi, Recordset& nodo) {
    Recordset& nodi = *m_nodi;
    periodi.setFilter(filtroPeriodi(nodo));
    for (periodi.MoveFirst(); !periodi.Eof() && !trap.left(); periodi.MoveNext()) {
        trap([&] {
            aggiungiRiga(nodi, [&] {
                nodi.setValue(CampoPeriodo, periodi.value(CampoPeriodo));
                for (const QString& campo : {CampoLivello, CampoOrdinamento, CampoChiave})
                    nodi.setValue(campo, nodo.value(campo));
                for (int campo = 0; campo < nodi.fieldCount(); ++campo) {
                    const QString& nome = nodi.field(campo).name;
                    if (stessoCampo(nome, CampoPeriodo) || stessoCampo(nome, CampoLivello) ||
                        stessoCampo(nome, CampoOrdinamento) || !periodi.fieldIndex(nome))
                        continue;
                    const Variant valore = periodi.value(nome);
                    if (!valore.isNullOrEmpty())
                        nodi.setValue(campo, valore);
                }
            });
        });
    }
}

void AssemblaggioOffice::aggiungiPeriodi(ErrorTrap& trap) {
    const RecordsetPtr& sorgente = m_form.state().RstCriterioPeriodi;
    if (!m_periodi || !sorgente || !sorgente->isOpen())
        return;
    Recordset periodi = sorgente->Clone();
    if (periodi.RecordCount() == 0)
        return;
    RecordsetPtr copia = CopiaRecordset(m_nodi, nullptr, false, false);
    for (copia->MoveFirst(); !copia->Eof() && !trap.left(); copia->MoveNext()) {
        Recordset& nodo = *copia;
        trap([&] { aggiungiPeriodiDi(trap, periodi, nodo); });
    }
}

// A period row's differences compare its own amounts, as the node's row compares the
// node's: set i against set i - 1.
void AssemblaggioOffice::ricalcolaDifferenze(ErrorTrap& trap) {
    if (!m_periodi)
        return;
    Recordset& nodi = *m_nodi;
    const QString prefissoDelta = QStringLiteral("DELTA_IMP");
    const QString prefissoPerc = QStringLiteral("DELTA_PERC");
    for (nodi.MoveFirst(); !nodi.Eof() && !trap.left(); nodi.MoveNext()) {
        if (nodi.value(CampoPeriodo).toInt32() == PeriodoTotale)
            continue;
        trap([&] {
            for (int campo = 0; campo < nodi.fieldCount(); ++campo) {
                const QString& nome = nodi.field(campo).name;
                const auto delta = insiemeDifferenza(nome, prefissoDelta);
                const auto perc = insiemeDifferenza(nome, prefissoPerc);
                if (!delta && !perc)
                    continue;
                const int insieme = delta ? *delta : *perc;
                const Variant valore = nodi.value(QStringLiteral("IMP%1").arg(insieme));
                const Variant riferimento = nodi.value(QStringLiteral("IMP%1").arg(insieme - 1));
                nodi.setValue(campo, delta ? BudgetObject::Delta(valore, riferimento)
                                           : percentualeEsportata(
                                                 BudgetObject::DeltaPerc(valore, riferimento)));
            }
        });
    }
}

ArrayVariant AssemblaggioOffice::testata() const {
    int visibili = m_periodi ? 1 : 0;
    for (const GridColumn& colonna : m_colonne.list())
        visibili += colonna.visible ? 1 : 0;
    ArrayVariant testata(2, visibili);
    int k = 0;
    const auto aggiungi = [&](const QString& didascalia, int tipo) {
        testata(0, k) = Variant(didascalia);
        testata(1, k) = Variant(tipo);
        ++k;
    };
    for (int colonna = 0; colonna < m_colonne.size(); ++colonna) {
        if (m_periodi && colonna == m_colonnaPeriodo)
            aggiungi(DidascaliaPeriodi, TipoColonnaOffice::Testo);
        const GridColumn& definizione = m_colonne.at(colonna);
        if (definizione.visible)
            aggiungi(definizione.caption, tipoColonna(definizione.field, m_scala));
    }
    // A description in the last column leaves the periods after it.
    if (k < visibili)
        aggiungi(DidascaliaPeriodi, TipoColonnaOffice::Testo);
    return testata;
}

// Every node has the same periods: each text is asked for once (a month of a financial
// year reads the year's start from the database).
QString AssemblaggioOffice::descrizionePeriodo(const Variant& periodo) {
    const auto numero = periodo.toInt32();
    if (numero == PeriodoTotale)
        return TestoTotale;
    const FormState& state = m_form.state();
    if (!numero || state.ObjBudget == nullptr)
        return testoCampo(periodo);
    const auto nota = m_descrizioni.constFind(*numero);
    if (nota != m_descrizioni.constEnd())
        return *nota;
    return m_descrizioni[*numero] = state.ObjBudget->DescrizionePeriodo(
               state.CodDitta, state.CodPeriodicita, state.IndPeriodoSolareFiscale,
               std::int16_t(*numero), state.AnnoElab, state.ProgEserElab);
}

void AssemblaggioOffice::popola(ErrorTrap& trap, Recordset& office) {
    Recordset& nodi = *m_nodi;
    if (m_periodi)
        nodi.setSort(QStringLiteral("ORDINAMENTO, PERIODO"));
    for (nodi.MoveFirst(); !nodi.Eof() && !trap.left(); nodi.MoveNext()) {
        // The criterion itself heads the tree and is no line of the export.
        const int livello = nodi.value(CampoLivello).toInt32().value_or(0);
        if (nodi.value(CampoTipoVoce).toInt32() == TipoVoceCriterio || livello == 0)
            continue;
        trap([&] {
            aggiungiRiga(office, [&] {
                for (int campo = 0; campo < office.fieldCount(); ++campo) {
                    const QString& nome = office.field(campo).name;
                    if (stessoCampo(nome, CampoVoce))
                        office.setValue(campo,
                                        Variant(voceRientrata(nodi.value(CampoVoce), livello,
                                                              QLatin1Char('-'), TrattiPerLivello)));
                    else if (stessoCampo(nome, CampoPeriodo))
                        office.setValue(campo,
                                        Variant(descrizionePeriodo(nodi.value(CampoPeriodo))));
                    else if (!nodi.value(nome).isNullOrEmpty())
                        office.setValue(campo, nodi.value(nome));
                }
            });
        });
    }
}

} // namespace

void ExportToOffice_GetDati(FRMBU_BDGINTRIC& form, ArrayVariant& MyArrayTestata,
                            RecordsetPtr& MyRstOffice) {
    ErrorTrap trap(form.state(), QStringLiteral("ExportToOffice_GetDati"));
    form.InizializzaProgress();
    form.AttivaProgress(true);
    AssemblaggioOffice assemblaggio(form);
    if (trap([&] { assemblaggio.definisci(MyRstOffice); })) {
        assemblaggio.aggiungiNodi(trap);
        assemblaggio.aggiungiPeriodi(trap);
        assemblaggio.ricalcolaDifferenze(trap);
        trap([&] { MyArrayTestata = assemblaggio.testata(); });
        if (!trap.left())
            assemblaggio.popola(trap, *MyRstOffice);
    }
    form.AttivaProgress(false);
}

namespace {

// The host's export goes on with whatever was added: a failing step is skipped.
template <class F> void ignoraErrori(F&& passo) {
    try {
        passo();
    } catch (...) {
    }
}

// The run's parameters as labels and values; the currency and its rate only when the run
// converted the amounts.
void aggiungiParametri(FRMBU_BDGINTRIC& form, OfficeExport& esportazione) {
    HostGlobal& global = *form.state().Gcls_Global;
    const FormState& state = form.state();
    QList<QPair<QString, QString>> righe{
        {global.GetMessageText(Msg::SottotipoBudget), testoCampo(form.TXT_SOTTOTIPO.text()) +
                                                          QStringLiteral(" - ") +
                                                          form.TXT_SOTTOTIPO_DES.text()},
        {global.GetMessageText(Msg::Criterio), testoCampo(form.TXT_CRITERIO.text()) +
                                                   QStringLiteral(" - ") +
                                                   form.TXT_CRITERIO_DES.text()},
        {global.GetMessageText(Msg::DaPeriodo), testoCampo(form.TXT_PERIODO_DA.text())},
        {global.GetMessageText(Msg::APeriodo), testoCampo(form.TXT_PERIODO_A.text())}};
    const QString valuta = testoCampo(form.TXT_VALUTA.text());
    if (!valuta.isEmpty() &&
        testoCampo(state.CodValutaElab) != testoCampo(state.CodValutaGestione)) {
        righe.append({global.GetMessageText(Msg::Valuta), valuta});
        righe.append({global.GetMessageText(Msg::Cambio) + QLatin1Char('/') +
                          global.GetMessageText(Msg::DataCambio),
                      testoCampo(form.TXT_CAMBIO.text()) + QStringLiteral(" -  ") +
                          testoCampo(form.TXT_DATACAMBIO.text())});
    }
    ArrayVariant etichette(int(righe.size()));
    ArrayVariant valori(int(righe.size()));
    for (int riga = 0; riga < int(righe.size()); ++riga) {
        etichette(riga) = Variant(righe.at(riga).first);
        valori(riga) = Variant(righe.at(riga).second);
    }
    esportazione.setZelCaption(global.GetMessageText(Msg::Esportazione) + QLatin1Char(' ') +
                               form.caption());
    esportazione.AddMasterDetail(etichette, valori, esportazione.ZelCaption());
}

ArrayVariant datiOffice(Recordset& office) {
    ArrayVariant dati(office.RecordCount(), office.fieldCount());
    int riga = 0;
    for (office.MoveFirst(); !office.Eof(); office.MoveNext(), ++riga) {
        for (int campo = 0; campo < office.fieldCount(); ++campo) {
            const Variant valore = office.value(campo);
            dati(riga, campo) = valore.isNullOrEmpty() ? Variant(QString()) : valore;
        }
    }
    return dati;
}

} // namespace

void ActiveNavigator_BeforeExportToOffice(FRMBU_BDGINTRIC* form, bool& /*Cancel*/,
                                          OfficeExport* Pcls_ExpToOffice) {
    if (form == nullptr || Pcls_ExpToOffice == nullptr || form->ActiveInterface() == nullptr ||
        !form->ActiveInterface()->IsActive())
        return;
    const FormState& state = form->state();
    if (!state.RstCriterio || state.RstCriterio->RecordCount() == 0 ||
        !form->TGRID_BDGINTRIC.dataSource())
        return;
    ArrayVariant testata;
    RecordsetPtr office;
    ignoraErrori([&] { ExportToOffice_GetDati(*form, testata, office); });
    if (!office || !office->isOpen() || office->RecordCount() == 0)
        return;
    if (state.Gcls_Global != nullptr)
        ignoraErrori([&] { aggiungiParametri(*form, *Pcls_ExpToOffice); });
    ArrayVariant dati;
    ignoraErrori([&] { dati = datiOffice(*office); });
    office.reset();
    ignoraErrori([&] {
        QString titolo =
            form->caption() + QStringLiteral(" - Budget ") + testoCampo(form->TXT_SOTTOTIPO.text());
        if (state.Gcls_Global != nullptr)
            titolo += QLatin1Char(' ') +
                      state.Gcls_Global->GetMessageText(Msg::CriterioElaborazione) +
                      QStringLiteral(" : ");
        titolo += testoCampo(form->TXT_CRITERIO.text()) + QLatin1Char(' ') +
                  form->TXT_CRITERIO_DES.text();
        Pcls_ExpToOffice->setTitoloMaster(titolo);
        Pcls_ExpToOffice->AddMasterDetail(testata, dati, Pcls_ExpToOffice->TitoloMaster());
    });
}

} // namespace bdg
