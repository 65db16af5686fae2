#include "export/scrittore_xlsx.h"

#include "export/risultato.h"

#include <QFile>
#include <QFileInfo>

#include <xlsxwriter.h>

#include <filesystem>
#include <map>
#include <system_error>

namespace bdg {
namespace {

constexpr int RigaTitolo = 0;
constexpr int RigaIntestazione = 2;
constexpr int PrimaRigaDati = 3;
constexpr int ColonneDescrittive = 2;

// libxlsxwriter keeps the formats it hands out; one per indentation level is created on
// first use.
class Formati {
public:
    Formati(lxw_workbook* workbook, const Risultato& risultato) : m_workbook(workbook) {
        m_titolo = workbook_add_format(workbook);
        format_set_bold(m_titolo);
        format_set_font_size(m_titolo, 14);
        m_intestazione = workbook_add_format(workbook);
        format_set_bold(m_intestazione);
        format_set_bottom(m_intestazione, LXW_BORDER_THIN);
        m_importo = numero(risultato.formatoImporti());
        m_percentuale = numero(risultato.formatoPercentuali());
    }

    lxw_format* titolo() const { return m_titolo; }
    lxw_format* intestazione() const { return m_intestazione; }
    lxw_format* importo(ColonnaRisultato::Tipo tipo) const {
        return tipo == ColonnaRisultato::Tipo::Percentuale ? m_percentuale : m_importo;
    }
    lxw_format* voce(int livello) {
        auto trovato = m_voci.find(livello);
        if (trovato != m_voci.end())
            return trovato->second;
        lxw_format* formato = workbook_add_format(m_workbook);
        format_set_indent(formato, uint8_t(std::min(livello, 15)));
        return m_voci[livello] = formato;
    }

private:
    lxw_format* numero(const QString& maschera) {
        lxw_format* formato = workbook_add_format(m_workbook);
        format_set_num_format(formato, formatoFoglio(maschera).toUtf8().constData());
        return formato;
    }

    lxw_workbook* m_workbook;
    lxw_format* m_titolo = nullptr;
    lxw_format* m_intestazione = nullptr;
    lxw_format* m_importo = nullptr;
    lxw_format* m_percentuale = nullptr;
    std::map<int, lxw_format*> m_voci;
};

void scriviTesto(lxw_worksheet* foglio, int riga, int colonna, const QString& testo,
                 lxw_format* formato) {
    worksheet_write_string(foglio, lxw_row_t(riga), lxw_col_t(colonna), testo.toUtf8().constData(),
                           formato);
}

void scriviIntestazione(lxw_worksheet* foglio, const QList<ColonnaRisultato>& colonne,
                        Formati& formati) {
    scriviTesto(foglio, RigaIntestazione, 0, QStringLiteral("Voce/Conto"), formati.intestazione());
    scriviTesto(foglio, RigaIntestazione, 1, QStringLiteral("Descrizione"), formati.intestazione());
    for (qsizetype indice = 0; indice < colonne.size(); ++indice)
        scriviTesto(foglio, RigaIntestazione, ColonneDescrittive + int(indice),
                    colonne[indice].didascalia, formati.intestazione());
    worksheet_set_column(foglio, 0, 0, 22, nullptr);
    worksheet_set_column(foglio, 1, 1, 40, nullptr);
    worksheet_set_column(foglio, ColonneDescrittive,
                         lxw_col_t(ColonneDescrittive + std::max<qsizetype>(colonne.size(), 1) - 1),
                         16, nullptr);
}

void scriviRighe(lxw_worksheet* foglio, Risultato& risultato,
                 const QList<ColonnaRisultato>& colonne, Formati& formati) {
    Recordset& criterio = risultato.criterio();
    int riga = PrimaRigaDati;
    for (const NodoRisultato& nodo : risultato.albero()) {
        criterio.setBookmark(nodo.riga);
        scriviTesto(foglio, riga, 0, criterio.value(u"VOCE").toString().trimmed(),
                    formati.voce(nodo.livello));
        scriviTesto(foglio, riga, 1, criterio.value(u"VOCEDES").toString(), nullptr);
        for (qsizetype indice = 0; indice < colonne.size(); ++indice) {
            const auto numero = criterio.value(colonne[indice].campo).toDecimal();
            if (numero)
                worksheet_write_number(foglio, lxw_row_t(riga),
                                       lxw_col_t(ColonneDescrittive + indice), numero->toDouble(),
                                       formati.importo(colonne[indice].tipo));
        }
        ++riga;
    }
}

} // namespace

QString formatoFoglio(const QString& maschera) {
    return maschera.isEmpty() ? QStringLiteral("General") : maschera;
}

void ScrittoreXlsx::write(Risultato& risultato, const QString& percorso) const {
    const QString provvisorio = percorso + QStringLiteral(".tmp");
    lxw_workbook* workbook = workbook_new(QFile::encodeName(provvisorio).constData());
    if (!workbook)
        throw ErroreXlsx(QStringLiteral("cannot create workbook '%1'").arg(percorso).toStdString());
    lxw_worksheet* foglio = workbook_add_worksheet(workbook, "Budget per criterio");
    Formati formati(workbook, risultato);
    const QList<ColonnaRisultato> colonne = risultato.colonneVisibili();
    scriviTesto(foglio, RigaTitolo, 0, m_titolo, formati.titolo());
    scriviIntestazione(foglio, colonne, formati);
    scriviRighe(foglio, risultato, colonne, formati);
    worksheet_freeze_panes(foglio, PrimaRigaDati, ColonneDescrittive);
    const lxw_error esito = workbook_close(workbook);
    if (esito != LXW_NO_ERROR) {
        QFile::remove(provvisorio);
        throw ErroreXlsx(QStringLiteral("cannot write workbook '%1': %2")
                             .arg(percorso, QString::fromUtf8(lxw_strerror(esito)))
                             .toStdString());
    }
    std::error_code errore;
    std::filesystem::rename(QFile::encodeName(provvisorio).toStdString(),
                            QFile::encodeName(percorso).toStdString(), errore);
    if (errore) {
        QFile::remove(provvisorio);
        throw ErroreXlsx(QStringLiteral("cannot write workbook '%1': %2")
                             .arg(percorso, QString::fromStdString(errore.message()))
                             .toStdString());
    }
}

} // namespace bdg
