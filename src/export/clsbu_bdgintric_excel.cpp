#include "export/clsbu_bdgintric_excel.h"

#include "data/formato_numero.h"
#include "export/colonne_albero.h"
#include "export/file_xlsx.h"
#include "form/tree_grid_model.h"
#include "host/contract/cinterface.h"
#include "host/contract/message_service.h"
#include "host/contract/office_export.h"
#include "host/error_trap.h"
#include "host/host_global.h"
#include "host/trace.h"

#include <QDir>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <optional>
#include <vector>

namespace bdg {
namespace {

const QString NomeClasse = QStringLiteral("CLSBU_BDGINTRIC_EXCEL");
const QString CampoVoce = QStringLiteral("VOCE");
// Abort/retry/ignore with the critical icon.
constexpr int StileErrore = MessageStyle::AbortRetryIgnore | MessageStyle::Critical;
// The number shown for a fault that carries none of its own (a value that does not fit).
constexpr int NumeroErroreGenerico = 1;
constexpr int BlanchiPerLivello = 12;
constexpr int DecimaliPercentuale = 2;
constexpr int RigaTitolo = 0;
constexpr int RigaIntestazione = 2;
constexpr int PrimaRigaDati = 3;
constexpr int LunghezzaNomeFile = 60;
constexpr qsizetype LunghezzaNomeFoglio = 31;
const QString NomeFoglio = QStringLiteral("Foglio1");

bool isColonnaColore(const QString& campo) {
    return campo.compare(QStringLiteral("COLOR"), Qt::CaseInsensitive) == 0 ||
           campo.compare(QStringLiteral("FONTCOLOR"), Qt::CaseInsensitive) == 0;
}

// The decimals of a grid column's amounts: those of its display mask, 2 without one.
int decimaliImporti(const GridColumn& colonna) {
    return colonna.format.isEmpty() ? DecimaliPredefiniti
                                    : FormatoNumero(colonna.format).decimali();
}

uint8_t allineamentoIntestazione(int headerAlignment) {
    switch (headerAlignment) {
    case 1:
        return LXW_ALIGN_RIGHT;
    case 2:
        return LXW_ALIGN_CENTER;
    default:
        return LXW_ALIGN_LEFT;
    }
}

// The formats of the workbook, made before the cells are written: the library attaches a
// cell's format as it writes the cell.
struct FormatiScrittore {
    FormatiScrittore(FileXlsx& workbook, lxw_color_t colore) : file(workbook), sfondo(colore) {
        testo = file.nuovoFormato();
        format_set_border(testo, LXW_BORDER_THIN);
        titolo = intestazione(LXW_ALIGN_LEFT);
    }

    lxw_format* intestazione(uint8_t allineamento) {
        lxw_format* formato = file.nuovoFormato();
        format_set_bold(formato);
        format_set_bg_color(formato, sfondo);
        format_set_font_color(formato, LXW_COLOR_BLACK);
        format_set_border(formato, LXW_BORDER_THIN);
        format_set_align(formato, allineamento);
        return formato;
    }

    lxw_format* numero(int decimali) {
        lxw_format* formato = file.nuovoFormato();
        format_set_border(formato, LXW_BORDER_THIN);
        format_set_num_format(formato, formatoNumeroXlsx(decimali).toUtf8().constData());
        return formato;
    }

    FileXlsx& file;
    lxw_color_t sfondo;
    lxw_format* testo = nullptr;
    lxw_format* titolo = nullptr;
};

// What each field of the export table is: the grid column it comes from, its cell format,
// its decimals when it is a number.
struct CampoFoglio {
    const GridColumn* colonna = nullptr;
    lxw_format* formato = nullptr;
    std::optional<int> decimali;
    bool nascosto = false;
};

// The workbook of one export: the table's rows from row 4, the grid's captions in row 3,
// the title merged over row 1.
class CartellaScrittore {
public:
    CartellaScrittore(const QString& percorso, const TreeGridModel& griglia, Recordset& dati,
                      lxw_color_t sfondo)
        : m_percorso(percorso), m_file(percorso), m_dati(dati), m_formati(m_file, sfondo) {
        descriviCampi(griglia);
    }

    void scrivi(const QString& titolo) {
        // A title too long for a sheet's tab leaves the spreadsheet's own first name.
        m_foglio =
            m_file.aggiungiFoglio(titolo.size() <= LunghezzaNomeFoglio ? titolo : NomeFoglio);
        scriviDati();
        scriviIntestazioni();
        scriviTitolo(titolo);
        m_file.chiudi();
    }

private:
    // Each field's grid column and format; the colour fields are hidden, and the first of
    // them ends the visible table.
    void descriviCampi(const TreeGridModel& griglia) {
        m_ultimoVisibile = m_dati.fieldCount() - 1;
        for (int campo = 0; campo < m_dati.fieldCount(); ++campo) {
            const FieldDef& definizione = m_dati.field(campo);
            CampoFoglio descrizione;
            descrizione.colonna = griglia.columns().find(definizione.name);
            descrizione.nascosto = isColonnaColore(definizione.name);
            if (descrizione.nascosto && m_ultimoVisibile == m_dati.fieldCount() - 1)
                m_ultimoVisibile = campo - 1;
            if (definizione.type == FieldType::Decimal)
                descrizione.decimali =
                    isCampoPercentuale(definizione.name) ? DecimaliPercentuale : definizione.scale;
            descrizione.formato =
                descrizione.decimali ? m_formati.numero(*descrizione.decimali) : m_formati.testo;
            m_campi.push_back(descrizione);
        }
    }

    void scriviDati() {
        int riga = PrimaRigaDati;
        for (m_dati.MoveFirst(); !m_dati.Eof(); m_dati.MoveNext(), ++riga) {
            for (int campo = 0; campo < m_dati.fieldCount(); ++campo) {
                const CampoFoglio& descrizione = m_campi[std::size_t(campo)];
                scriviValoreXlsx(m_foglio, riga, campo, m_dati.value(campo), descrizione.decimali,
                                 descrizione.formato, m_larghezze);
            }
        }
    }

    void scriviIntestazioni() {
        for (int campo = 0; campo < int(m_campi.size()); ++campo) {
            const CampoFoglio& descrizione = m_campi[std::size_t(campo)];
            if (descrizione.nascosto || descrizione.colonna == nullptr) {
                m_larghezze.nascondi(campo);
                continue;
            }
            const GridColumn& colonna = *descrizione.colonna;
            scriviTestoXlsx(
                m_foglio, RigaIntestazione, campo, colonna.caption,
                m_formati.intestazione(allineamentoIntestazione(colonna.headerSetting)));
            m_larghezze.misuraTesto(campo, colonna.caption);
        }
        m_larghezze.applica(m_foglio);
        worksheet_freeze_panes(m_foglio, PrimaRigaDati, 0);
        impostaStampaXlsx(m_foglio, RigaIntestazione);
    }

    void scriviTitolo(const QString& titolo) {
        if (m_ultimoVisibile <= 0) {
            scriviTestoXlsx(m_foglio, RigaTitolo, 0, titolo, m_formati.titolo);
            return;
        }
        verificaXlsx(worksheet_merge_range(m_foglio, RigaTitolo, 0, RigaTitolo,
                                           lxw_col_t(m_ultimoVisibile), titolo.toUtf8().constData(),
                                           m_formati.titolo),
                     m_percorso);
    }

    QString m_percorso;
    FileXlsx m_file;
    Recordset& m_dati;
    FormatiScrittore m_formati;
    lxw_worksheet* m_foglio = nullptr;
    std::vector<CampoFoglio> m_campi;
    LarghezzeColonne m_larghezze;
    int m_ultimoVisibile = 0;
};

} // namespace

CLSBU_BDGINTRIC_EXCEL::CLSBU_BDGINTRIC_EXCEL(TraceSink* trace)
    : m_trace(trace), m_idIstanza(NuovoIdIstanza()) {
    if (m_trace == nullptr) {
        m_tracePredefinita = std::make_unique<DebugTraceSink>();
        m_trace = m_tracePredefinita.get();
    }
    m_trace->trace(RigaTraccia(m_idIstanza, QStringLiteral("INI"), NomeClasse));
}

CLSBU_BDGINTRIC_EXCEL::~CLSBU_BDGINTRIC_EXCEL() {
    m_trace->trace(RigaTraccia(m_idIstanza, QStringLiteral("TER"), NomeClasse));
}

int CLSBU_BDGINTRIC_EXCEL::segnalaErrore(const QString& procedura,
                                         std::exception_ptr errore) const {
    int numero = NumeroErroreGenerico;
    try {
        std::rethrow_exception(errore);
    } catch (const ErroreXlsx& xlsx) {
        numero = xlsx.numero();
    } catch (...) {
    }
    const QString testo = QString::number(numero) + QStringLiteral(" - ") + errorTextOf(errore) +
                          QStringLiteral(" in ") + procedura + QLatin1Char(' ');
    HostGlobal* global = ActiveInterface != nullptr ? ActiveInterface->ClsGlobal() : nullptr;
    if (global == nullptr) {
        qWarning("%s", qUtf8Printable(testo));
        return MessageAnswer::Abort;
    }
    return global->ShowMessage(testo, StileErrore, QString());
}

ErrorTrap CLSBU_BDGINTRIC_EXCEL::trappola(const QString& procedura) const {
    return ErrorTrap(procedura, [this, procedura](std::exception_ptr errore) {
        return segnalaErrore(procedura, errore);
    });
}

QString CLSBU_BDGINTRIC_EXCEL::MultiLetter(const Variant& InputNumber) {
    QString lettere;
    ErrorTrap trap = trappola(QStringLiteral("MultiLetter"));
    trap([&] {
        lettere.clear();
        if (InputNumber.isNullOrEmpty())
            return;
        const auto numero = InputNumber.toInt64();
        if (!numero)
            throw std::invalid_argument(
                QStringLiteral("il numero di colonna '%1' non è un numero intero")
                    .arg(InputNumber.toString())
                    .toStdString());
        // Letters count in base 26 without a zero: Z is 26, AA follows.
        for (std::int64_t resto = *numero; resto > 0; resto = (resto - 1) / 26)
            lettere.prepend(QChar(u'A' + char16_t((resto - 1) % 26)));
    });
    return lettere;
}

RecordsetPtr CLSBU_BDGINTRIC_EXCEL::CreaPopolaRstExcel() {
    ErrorTrap trap = trappola(QStringLiteral("CreaPopolaRstExcel"));
    auto rst = std::make_shared<Recordset>();
    std::vector<int> colonne; // the grid column of each field
    const bool definito = trap([&] {
        if (TGRID == nullptr)
            throw std::invalid_argument("la griglia da esportare (TGRID) non è impostata");
        for (int colonna = 0; colonna < TGRID->columns().size(); ++colonna) {
            const GridColumn& definizione = TGRID->columns().at(colonna);
            const int scala = isCampoPercentuale(definizione.field) ? ScalaPercentuale
                                                                    : decimaliImporti(definizione);
            if (definizione.visible &&
                DefinisciCampoColonna(*rst, definizione, scala,
                                      lunghezzaTesto(*TGRID, colonna, BlanchiPerLivello)))
                colonne.push_back(colonna);
        }
        rst->Open();
    });
    if (!definito)
        return nullptr;
    for (int nodo = TGRID->firstNode(); nodo >= 0; nodo = TGRID->nextNode(nodo)) {
        trap([&] {
            aggiungiRiga(*rst, [&] {
                for (int campo = 0; campo < int(colonne.size()); ++campo) {
                    const int colonna = colonne[std::size_t(campo)];
                    const QString& nome = TGRID->columns().at(colonna).field;
                    const Variant valore = TGRID->cellValue(nodo, colonna);
                    if (nome.compare(CampoVoce, Qt::CaseInsensitive) == 0)
                        rst->setValue(campo,
                                      Variant(voceRientrata(valore, TGRID->nodeLevel(nodo),
                                                            QLatin1Char(' '), BlanchiPerLivello)));
                    else if (isCampoPercentuale(nome))
                        rst->setValue(campo, percentualeEsportata(valore));
                    else if (NascondiZero && rst->field(campo).type == FieldType::Decimal &&
                             valore.toDecimal() == Decimal())
                        rst->setValue(campo, Variant::null());
                    else
                        rst->setValue(campo, valore);
                }
            });
        });
        if (trap.left())
            return nullptr;
    }
    return rst;
}

QString CLSBU_BDGINTRIC_EXCEL::percorsoDestinazione() const {
    if (!NomeFile.isEmpty())
        return NomeFile;
    // A name the user recognises in the spreadsheet's title bar, unique in the folder.
    QString nome;
    for (const QChar carattere : Titolo.left(LunghezzaNomeFile))
        nome += QStringLiteral("/\\:*?\"<>|").contains(carattere) ? QLatin1Char(' ') : carattere;
    nome = nome.trimmed();
    QTemporaryFile file(QDir::temp().filePath(
        (nome.isEmpty() ? QStringLiteral("bdgintric") : nome) + QStringLiteral("-XXXXXX.xlsx")));
    file.setAutoRemove(false);
    if (!file.open())
        throw ErroreXlsx(int(file.error()), file.fileTemplate(), file.errorString());
    return file.fileName();
}

bool CLSBU_BDGINTRIC_EXCEL::ExportToExcel() {
    ErrorTrap trap = trappola(QStringLiteral("ExportToExcel"));
    const bool schema = BackColor >= 0 && BackColor < std::int32_t(std::size(Sfondi));
    const lxw_color_t sfondo = Sfondi[schema ? std::size_t(BackColor) : 0];
    RecordsetPtr rst = CreaPopolaRstExcel();
    QString percorso;
    if (!rst || !trap([&] { percorso = percorsoDestinazione(); }))
        return false;
    // The workbook is written whole: trying again writes it again from the start.
    bool scritto = false;
    trap([&] {
        CartellaScrittore cartella(percorso, *TGRID, *rst, sfondo);
        cartella.scrivi(Titolo);
        scritto = true;
    });
    if (!scritto)
        return false;
    m_fileScritto = percorso;
    if (Visualizzatore != nullptr)
        trap([&] { Visualizzatore->open(percorso); });
    return true;
}

} // namespace bdg
