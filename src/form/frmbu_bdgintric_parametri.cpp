// The parameter fields of the form: subtype, criterion, period range and currency, and the
// checks before a run.
#include "form/frmbu_bdgintric.h"

#include "host/contract/lookup_service.h"
#include "host/error_trap.h"
#include "params/criterio.h"
#include "params/parametri.h"
#include "params/sottotipo.h"
#include "params/valuta.h"

#include <stdexcept>

namespace bdg {

namespace {

const QString VoceMenuLookup = QStringLiteral("Kpers1");
const QString VoceMenuGestione = QStringLiteral("Kgestione");

} // namespace

LookupService& FRMBU_BDGINTRIC::lookup() const {
    if (m_lookup == nullptr)
        throw std::runtime_error("the form has not started: no lookup service");
    return *m_lookup;
}

void FRMBU_BDGINTRIC::registraRifiuto(const EsitoParametro& rifiuto) {
    m_ultimoRifiuto = rifiuto;
}

// The decode of a code field: its description, and whether the code is known.
void FRMBU_BDGINTRIC::decodifica(
    EditModel& field, LabelModel* description, const QString& procedure,
    const std::function<std::optional<QString>(const QString&)>& decode) {
    std::optional<QString> testo;
    const QString codice = field.code();
    if (!codice.isEmpty()) {
        ErrorTrap trap(m_state, procedure);
        trap([&] { testo = decode(codice); });
    }
    if (description != nullptr)
        description->setText(testo.value_or(QString()));
    field.setDecoded(testo.has_value());
}

// The first check of leaving a code field: a code must be there and decoded, or the field
// keeps the focus without a message.
bool FRMBU_BDGINTRIC::codiceDecodificato(EditModel& field,
                                         Rifiuto (*rifiuto)(const QString& codice), bool& Cancel) {
    m_ultimoRifiuto.reset();
    if (!field.code().isEmpty() && field.isDecoded())
        return true;
    Cancel = true;
    registraRifiuto(rifiuto(field.code()));
    return false;
}

// ---- Subtype ----------------------------------------------------------------------------

void FRMBU_BDGINTRIC::TXT_SOTTOTIPO_StartDecode() {
    decodifica(TXT_SOTTOTIPO, &TXT_SOTTOTIPO_DES, QStringLiteral("TXT_SOTTOTIPO_StartDecode"),
               [this](const QString& codice) {
                   return lookup().DecodificaSottotipo(m_state.IndTipoBudget, codice);
               });
}

void FRMBU_BDGINTRIC::TXT_SOTTOTIPO_StartLookup(bool& Cancel) {
    Cancel = false;
    ErrorTrap trap(m_state, QStringLiteral("TXT_SOTTOTIPO_StartLookup"));
    trap([&] {
        TXT_SOTTOTIPO.showLookup(lookup().LookupSottotipi(m_state.CodDitta, LookupDaMenu ? 1 : 0,
                                                          m_state.IndTipoBudget));
    });
}

void FRMBU_BDGINTRIC::TXT_SOTTOTIPO_KeyButtonMenuPress(const QString& item) {
    if (item != VoceMenuLookup)
        return;
    LookupDaMenu = true;
    ErrorTrap trap(m_state, QStringLiteral("TXT_SOTTOTIPO_KeyButtonMenuPress"));
    trap([&] { TXT_SOTTOTIPO.openLookup(); });
    LookupDaMenu = false;
}

void FRMBU_BDGINTRIC::TXT_SOTTOTIPO_Validate(bool& Cancel) {
    if (!codiceDecodificato(TXT_SOTTOTIPO, RifiutoSottotipoNonDecodificato, Cancel))
        return;
    const bool abilitato = TXT_SOTTOTIPO.enabled();
    if (abilitato)
        TXT_CODSTRUTTURABU60.setVisible(false);
    ControlliSottotipo controlli;
    const EsitoParametro rifiuto = bdg::TXT_SOTTOTIPO_Validate(
        m_state, TXT_SOTTOTIPO.text(), &controlli, abilitato, m_servizi.aziende);
    if (rifiuto) {
        Cancel = true;
        registraRifiuto(rifiuto);
        TXT_SOTTOTIPO.reentry();
        return;
    }
    if (!abilitato)
        return;
    CHK_CONSOLIDO_MULTIATT.setValue(Variant(controlli.CHK_CONSOLIDO_MULTIATT));
    CHK_CONSOLIDO_MULTIATT.setEnabled(controlli.CHK_CONSOLIDO_MULTIATT_Enabled);
    LBB_NUMFORECAST.setText(controlli.LBB_NUMFORECAST);
    LBB_GESTIONESEDE.setText(controlli.LBB_GESTIONESEDE);
    LBB_PERIODICITA.setText(controlli.LBB_PERIODICITA);
    LBB_PERIODOSOLAREFISCALE.setText(controlli.LBB_PERIODOSOLAREFISCALE);
    LBB_INDMULTIATTIVITA.setText(controlli.LBB_INDMULTIATTIVITA);
    LBB_INDTIPOPDC.setText(controlli.LBB_INDTIPOPDC);
    TXT_CODSTRUTTURABU60.setText(controlli.TXT_CODSTRUTTURABU60);
    TXT_CODSTRUTTURABU60.setVisible(controlli.TXT_CODSTRUTTURABU60_Visible);
    TXT_PERIODO_DA.setText(Variant(controlli.TXT_PERIODO_DA));
    if (controlli.TXT_PERIODO_A)
        TXT_PERIODO_A.setText(Variant(*controlli.TXT_PERIODO_A));
}

void FRMBU_BDGINTRIC::TXT_SOTTOTIPO_Event0() {
    TXT_SOTTOTIPO.housekeeping();
    TXT_SOTTOTIPO.reentry();
}

void FRMBU_BDGINTRIC::CHK_CONSOLIDO_MULTIATT_Click() {
    const bool consolida =
        NVL(CHK_CONSOLIDO_MULTIATT.value(), Variant(0)).toInt32().value_or(0) != 0;
    QGRID_CONFRONTO.setColumnVisible(QStringLiteral("CFR_SEDE"), !consolida);
}

// ---- Criterion --------------------------------------------------------------------------

bool FRMBU_BDGINTRIC::IsCriterioValido() {
    const EsitoParametro rifiuto = bdg::IsCriterioValido(m_state, TXT_CRITERIO.text());
    registraRifiuto(rifiuto);
    return !rifiuto.has_value();
}

void FRMBU_BDGINTRIC::TXT_CRITERIO_StartDecode(bool& Cancel) {
    Cancel = false;
    decodifica(TXT_CRITERIO, &TXT_CRITERIO_DES, QStringLiteral("TXT_CRITERIO_StartDecode"),
               [this](const QString& codice) { return lookup().DecodificaCriterio(codice); });
}

void FRMBU_BDGINTRIC::TXT_CRITERIO_StartLookup(bool& Cancel) {
    Cancel = false;
    ErrorTrap trap(m_state, QStringLiteral("TXT_CRITERIO_StartLookup"));
    trap([&] { TXT_CRITERIO.showLookup(lookup().LookupCriteri(m_state, ModoLookupCriterio)); });
}

void FRMBU_BDGINTRIC::TXT_CRITERIO_KeyButtonMenuPress(const QString& item) {
    const auto modo = ModoLookupDaMenu(item, m_state.CodStrutturaBU60);
    if (modo == bdg::ModoLookupCriterio::Tutti)
        return;
    ModoLookupCriterio = int(modo);
    ErrorTrap trap(m_state, QStringLiteral("TXT_CRITERIO_KeyButtonMenuPress"));
    trap([&] { TXT_CRITERIO.openLookup(); });
    ModoLookupCriterio = 0;
}

void FRMBU_BDGINTRIC::TXT_CRITERIO_AfterItem(bool& Cancel) {
    if (!TXT_CRITERIO.isDecoded()) {
        Cancel = true;
        TXT_CRITERIO.requestFocus();
        return;
    }
    if (CHK_CONSOLIDO_MULTIATT.enabled()) {
        CHK_CONSOLIDO_MULTIATT.setValue(Variant(0));
        CHK_CONSOLIDO_MULTIATT.refresh();
    }
}

void FRMBU_BDGINTRIC::TXT_CRITERIO_Validate(bool& Cancel) {
    if (!codiceDecodificato(TXT_CRITERIO, RifiutoCriterioNonDecodificato, Cancel))
        return;
    const bool abilitato = TXT_CRITERIO.enabled();
    // An accepted criterion starts a new, empty comparison list.
    const EsitoParametro rifiuto =
        bdg::TXT_CRITERIO_Validate(m_state, TXT_CRITERIO.text(), abilitato);
    registraRifiuto(rifiuto);
    if (rifiuto) {
        Cancel = true;
        return;
    }
    if (!abilitato)
        return;
    InitQGridConfronto();
    QGRID_CONFRONTO.setDataSource(m_state.RstConfronto);
    abilitaConfronto(true);
}

void FRMBU_BDGINTRIC::TXT_CRITERIO_Event0() {
    TXT_CRITERIO.housekeeping();
    TXT_CRITERIO.reentry();
}

// ---- Period range and currency ----------------------------------------------------------

CampiCambio FRMBU_BDGINTRIC::campiCambio() const {
    return CampiCambio{TXT_CAMBIO.text(), TXT_DATACAMBIO.text(), TXT_CAMBIO.enabled(),
                       TXT_DATACAMBIO.enabled()};
}

void FRMBU_BDGINTRIC::applicaCampiCambio(const CampiCambio& campi) {
    TXT_CAMBIO.setText(campi.TXT_CAMBIO);
    TXT_DATACAMBIO.setText(campi.TXT_DATACAMBIO);
    TXT_CAMBIO.setEnabled(campi.TXT_CAMBIO_Enabled);
    TXT_DATACAMBIO.setEnabled(campi.TXT_DATACAMBIO_Enabled);
}

bool FRMBU_BDGINTRIC::ValutaGetDati() {
    CampiCambio campi = campiCambio();
    const bool letto = bdg::ValutaGetDati(m_state, TXT_VALUTA.text(), campi, oggi());
    applicaCampiCambio(campi);
    return letto;
}

void FRMBU_BDGINTRIC::ValutaGestione(EditModel& field) {
    ErrorTrap trap(m_state, QStringLiteral("ValutaGestione"));
    trap([&] { lookup().GestioneValute(m_state.CodValutaGestione.toString(), field.code()); });
}

void FRMBU_BDGINTRIC::TXT_VALUTA_StartDecode() {
    decodifica(TXT_VALUTA, nullptr, QStringLiteral("TXT_VALUTA_StartDecode"),
               [this](const QString& codice) { return lookup().DecodificaValuta(codice); });
}

void FRMBU_BDGINTRIC::TXT_VALUTA_StartLookup(bool& Cancel) {
    Cancel = false;
    ErrorTrap trap(m_state, QStringLiteral("TXT_VALUTA_StartLookup"));
    trap([&] { TXT_VALUTA.showLookup(lookup().LookupValute()); });
}

void FRMBU_BDGINTRIC::TXT_VALUTA_AfterItem() {
    CampiCambio campi = campiCambio();
    bdg::TXT_VALUTA_AfterItem(m_state, TXT_VALUTA.text(), campi, oggi());
    applicaCampiCambio(campi);
}

void FRMBU_BDGINTRIC::TXT_VALUTA_KeyButtonMenuPress(const QString& item) {
    if (item != VoceMenuGestione)
        return;
    ValutaGestione(TXT_VALUTA);
    ValutaGetDati();
}

void FRMBU_BDGINTRIC::TXT_CAMBIO_KeyButtonMenuPress(const QString& item) {
    TXT_VALUTA_KeyButtonMenuPress(item);
}

void FRMBU_BDGINTRIC::TXT_DATACAMBIO_AfterItem() {
    ValutaGetDati();
}

void FRMBU_BDGINTRIC::TXT_PERIODO_DA_Event0() {
    TXT_PERIODO_DA.housekeeping();
}

void FRMBU_BDGINTRIC::TXT_PERIODO_A_Event0() {
    TXT_PERIODO_A.housekeeping();
}

// ---- Checks before a run ----------------------------------------------------------------

ValoriParametri FRMBU_BDGINTRIC::valoriParametri() const {
    ValoriParametri valori;
    valori.TXT_SOTTOTIPO = TXT_SOTTOTIPO.text();
    valori.TXT_CRITERIO = TXT_CRITERIO.text();
    valori.TXT_PERIODO_DA = TXT_PERIODO_DA.text();
    valori.TXT_PERIODO_A = TXT_PERIODO_A.text();
    valori.CHK_CONSOLIDO_MULTIATT = CHK_CONSOLIDO_MULTIATT.value();
    valori.CHK_NASCONDI_NULL = CHK_NASCONDI_NULL.value();
    valori.TXT_VALUTA = TXT_VALUTA.text();
    valori.TXT_DATACAMBIO = TXT_DATACAMBIO.text();
    valori.TXT_CAMBIO = TXT_CAMBIO.text();
    return valori;
}

void FRMBU_BDGINTRIC::tornaAlControllo(const QString& controllo) {
    if (auto* check = qobject_cast<CheckModel*>(this->controllo(controllo)))
        check->refresh();
    if (auto* control = qobject_cast<ControlModel*>(this->controllo(controllo)))
        control->requestFocus();
}

bool FRMBU_BDGINTRIC::IsParametriValidi() {
    const EsitoParametro rifiuto = bdg::IsParametriValidi(m_state, valoriParametri());
    registraRifiuto(rifiuto);
    if (!rifiuto)
        return true;
    tornaAlControllo(rifiuto->controllo);
    return false;
}

} // namespace bdg
