#include "export/esportazione_office.h"

#include "export/file_xlsx.h"
#include "export/scrittore_csv.h"

#include <QStringList>
#include <QTextStream>

#include <xlsxwriter.h>

#include <map>
#include <stdexcept>

namespace bdg {
namespace {

constexpr lxw_color_t SfondoIntestazione = 0xD9D9D9;
constexpr double DimensioneTitolo = 12;
const QString NomeFoglioPredefinito = QStringLiteral("Esportazione");

// The decimals of a detail column's kind code; nothing for a text column.
std::optional<int> decimaliDi(const Variant& tipo) {
    const int codice = tipo.toInt32().value_or(TipoColonnaOffice::Testo);
    const int decimali = codice - TipoColonnaOffice::Numero;
    if (decimali < 0 || decimali > TipoColonnaOffice::DecimaliMassimi)
        return std::nullopt;
    return decimali;
}

// A value as text: numbers exact with their own decimals, nothing for Null or Empty.
QString testoValore(const Variant& valore) {
    return valore.isNullOrEmpty() ? QString() : valore.toString();
}

// The formats of the sheet, made once: the library keeps every format it hands out.
class FormatiOffice {
public:
    explicit FormatiOffice(FileXlsx& file) : m_file(file) {
        m_titolo = file.nuovoFormato();
        format_set_bold(m_titolo);
        format_set_font_size(m_titolo, DimensioneTitolo);
        m_etichetta = file.nuovoFormato();
        format_set_bold(m_etichetta);
        m_intestazioneTesto = nuovaIntestazione(LXW_ALIGN_LEFT);
        m_intestazioneNumero = nuovaIntestazione(LXW_ALIGN_RIGHT);
    }

    lxw_format* titolo() const { return m_titolo; }
    lxw_format* etichetta() const { return m_etichetta; }
    lxw_format* intestazione(bool numero) const {
        return numero ? m_intestazioneNumero : m_intestazioneTesto;
    }
    lxw_format* numero(int decimali) {
        lxw_format*& formato = m_numeri[decimali];
        if (formato == nullptr) {
            formato = m_file.nuovoFormato();
            format_set_num_format(formato, formatoNumeroXlsx(decimali).toUtf8().constData());
        }
        return formato;
    }

private:
    lxw_format* nuovaIntestazione(uint8_t allineamento) {
        lxw_format* formato = m_file.nuovoFormato();
        format_set_bold(formato);
        format_set_bg_color(formato, SfondoIntestazione);
        format_set_bottom(formato, LXW_BORDER_THIN);
        format_set_text_wrap(formato);
        format_set_align(formato, allineamento);
        format_set_align(formato, LXW_ALIGN_VERTICAL_CENTER);
        return formato;
    }

    FileXlsx& m_file;
    lxw_format* m_titolo = nullptr;
    lxw_format* m_etichetta = nullptr;
    lxw_format* m_intestazioneTesto = nullptr;
    lxw_format* m_intestazioneNumero = nullptr;
    std::map<int, lxw_format*> m_numeri;
};

// Writes the blocks down one sheet, row after row.
class FoglioOffice {
public:
    FoglioOffice(lxw_worksheet* foglio, FormatiOffice& formati)
        : m_foglio(foglio), m_formati(formati) {}

    void scriviBlocco(const BloccoOffice& blocco) {
        if (m_riga > 0)
            ++m_riga; // an empty row between blocks
        scriviTestoXlsx(m_foglio, m_riga++, 0, blocco.titolo, m_formati.titolo());
        if (blocco.isMaster())
            scriviMaster(blocco);
        else
            scriviDettaglio(blocco);
    }

    void concludi() { m_larghezze.applica(m_foglio); }

private:
    void scriviMaster(const BloccoOffice& blocco) {
        for (int voce = 0; voce < blocco.etichette.colonne(); ++voce, ++m_riga) {
            const QString etichetta = testoValore(blocco.etichette(voce));
            const QString valore = testoValore(blocco.valori(voce));
            scriviTestoXlsx(m_foglio, m_riga, 0, etichetta, m_formati.etichetta());
            scriviTestoXlsx(m_foglio, m_riga, 1, valore, nullptr);
            m_larghezze.misuraTesto(0, etichetta);
            m_larghezze.misuraTesto(1, valore);
        }
    }

    void scriviDettaglio(const BloccoOffice& blocco) {
        const int colonne = blocco.etichette.colonne();
        std::vector<std::optional<int>> decimali;
        for (int colonna = 0; colonna < colonne; ++colonna) {
            decimali.push_back(decimaliDi(blocco.etichette(1, colonna)));
            scriviTestoXlsx(m_foglio, m_riga, colonna, testoValore(blocco.etichette(0, colonna)),
                            m_formati.intestazione(decimali.back().has_value()));
        }
        // The header of the first table stays in sight and on every printed page.
        if (!m_intestazioneFissata) {
            worksheet_freeze_panes(m_foglio, lxw_row_t(m_riga + 1), 0);
            impostaStampaXlsx(m_foglio, m_riga);
            m_intestazioneFissata = true;
        }
        ++m_riga;
        for (int record = 0; record < blocco.valori.righe(); ++record, ++m_riga) {
            for (int colonna = 0; colonna < colonne; ++colonna)
                scriviCella(colonna, blocco.valori(record, colonna),
                            decimali[std::size_t(colonna)]);
        }
    }

    void scriviCella(int colonna, const Variant& valore, std::optional<int> decimali) {
        scriviValoreXlsx(m_foglio, m_riga, colonna, valore, decimali,
                         decimali ? m_formati.numero(*decimali) : nullptr, m_larghezze);
    }

    lxw_worksheet* m_foglio;
    FormatiOffice& m_formati;
    LarghezzeColonne m_larghezze;
    int m_riga = 0;
    bool m_intestazioneFissata = false;
};

// A number of a CSV cell: exact, with at least the decimals of its column's kind, so that
// a percentage kept with four reads as it is shown (26.64, not 26.6400).
QString testoCsv(const Variant& valore, std::optional<int> decimali) {
    const std::optional<Decimal> numero =
        valore.isNumeric() ? valore.toDecimal() : std::optional<Decimal>();
    if (!decimali || !numero)
        return testoValore(valore);
    const Decimal mostrato = numero->rescaled(*decimali);
    return (mostrato == *numero ? mostrato : *numero).toString();
}

void scriviRigaCsv(QTextStream& out, const QStringList& celle) {
    QStringList quotate;
    for (const QString& cella : celle)
        quotate << cellaCsv(cella);
    out << quotate.join(QLatin1Char(',')) << "\r\n";
}

} // namespace

void EsportazioneOffice::AddMasterDetail(const ArrayVariant& labels, const ArrayVariant& values,
                                         const QString& caption) {
    if (labels.dimensioni() == 1 && values.colonne() != labels.colonne())
        throw std::invalid_argument("a master block needs one value per label");
    if (labels.dimensioni() == 2 &&
        (labels.righe() != 2 || (values.righe() > 0 && values.colonne() != labels.colonne())))
        throw std::invalid_argument("a detail block needs captions, kinds and rows of one width");
    m_blocchi.append({caption, labels, values});
}

void EsportazioneOffice::scriviXlsx(const QString& percorso) const {
    FileXlsx file(percorso);
    file.setTitolo(m_titoloMaster.isEmpty() ? m_zelCaption : m_titoloMaster);
    lxw_worksheet* foglio =
        file.aggiungiFoglio(m_zelCaption.isEmpty() ? NomeFoglioPredefinito : m_zelCaption);
    FormatiOffice formati(file);
    FoglioOffice scrittura(foglio, formati);
    for (const BloccoOffice& blocco : m_blocchi)
        scrittura.scriviBlocco(blocco);
    scrittura.concludi();
    file.chiudi();
}

void EsportazioneOffice::scriviCsv(QTextStream& out) const {
    bool primo = true;
    for (const BloccoOffice& blocco : m_blocchi) {
        if (!std::exchange(primo, false))
            out << "\r\n";
        scriviRigaCsv(out, {blocco.titolo});
        if (blocco.isMaster()) {
            for (int voce = 0; voce < blocco.etichette.colonne(); ++voce)
                scriviRigaCsv(
                    out, {testoValore(blocco.etichette(voce)), testoValore(blocco.valori(voce))});
            continue;
        }
        QStringList intestazione;
        std::vector<std::optional<int>> decimali;
        for (int colonna = 0; colonna < blocco.etichette.colonne(); ++colonna) {
            intestazione << testoValore(blocco.etichette(0, colonna));
            decimali.push_back(decimaliDi(blocco.etichette(1, colonna)));
        }
        scriviRigaCsv(out, intestazione);
        for (int record = 0; record < blocco.valori.righe(); ++record) {
            QStringList riga;
            for (int colonna = 0; colonna < blocco.valori.colonne(); ++colonna)
                riga << testoCsv(blocco.valori(record, colonna), decimali[std::size_t(colonna)]);
            scriviRigaCsv(out, riga);
        }
    }
}

} // namespace bdg
