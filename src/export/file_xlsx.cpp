#include "export/file_xlsx.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

namespace bdg {
namespace {

// Sheet names hold at most 31 characters and none of these.
constexpr int LunghezzaNomeFoglio = 31;
const QString CaratteriVietatiFoglio = QStringLiteral("[]:*?/\\");

// Column widths in characters: a little room around the text, and no column so wide that
// the sheet has to be scrolled to see the figures beside it.
constexpr qsizetype MargineColonna = 2;
constexpr qsizetype LarghezzaMinima = 6;
constexpr qsizetype LarghezzaMassima = 80;

QString testoErrore(const QString& percorso, const QString& motivo) {
    return QStringLiteral("Impossibile scrivere il file '%1': %2").arg(percorso, motivo);
}

} // namespace

ErroreXlsx::ErroreXlsx(int numero, QString percorso, QString motivo)
    : std::runtime_error(testoErrore(percorso, motivo).toStdString()), m_numero(numero),
      m_percorso(std::move(percorso)), m_motivo(std::move(motivo)) {}

void verificaXlsx(int esito, const QString& percorso) {
    if (esito != LXW_NO_ERROR)
        throw ErroreXlsx(esito, percorso,
                         QString::fromUtf8(lxw_strerror(static_cast<lxw_error>(esito))));
}

FileXlsx::FileXlsx(QString percorso) : m_percorso(std::move(percorso)) {
    const QDir cartella = QFileInfo(m_percorso).absoluteDir();
    if (!cartella.exists())
        throw ErroreXlsx(ENOENT, m_percorso,
                         QStringLiteral("la cartella '%1' non esiste").arg(cartella.path()));
    m_workbook = workbook_new(QFile::encodeName(provvisorio()).constData());
    if (m_workbook == nullptr)
        throw ErroreXlsx(LXW_ERROR_MEMORY_MALLOC_FAILED, m_percorso,
                         QStringLiteral("la cartella di lavoro non si può creare"));
}

FileXlsx::~FileXlsx() {
    if (m_workbook != nullptr)
        lxw_workbook_free(m_workbook);
}

QString FileXlsx::provvisorio() const {
    return m_percorso + QStringLiteral(".tmp");
}

lxw_worksheet* FileXlsx::aggiungiFoglio(const QString& nome) {
    QString valido;
    for (const QChar carattere : nome)
        valido += CaratteriVietatiFoglio.contains(carattere) ? QLatin1Char(' ') : carattere;
    valido = valido.trimmed();
    // A name too long for the tab is cut after its last whole word that fits.
    if (valido.size() > LunghezzaNomeFoglio) {
        const qsizetype spazio = valido.lastIndexOf(QLatin1Char(' '), LunghezzaNomeFoglio);
        valido = valido.left(spazio > 0 ? spazio : LunghezzaNomeFoglio).trimmed();
    }
    lxw_worksheet* foglio = workbook_add_worksheet(
        m_workbook, valido.isEmpty() ? nullptr : valido.toUtf8().constData());
    if (foglio == nullptr)
        throw ErroreXlsx(LXW_ERROR_SHEETNAME_ALREADY_USED, m_percorso,
                         QStringLiteral("il foglio '%1' non si può aggiungere").arg(valido));
    return foglio;
}

lxw_format* FileXlsx::nuovoFormato() {
    return workbook_add_format(m_workbook);
}

void FileXlsx::setTitolo(const QString& titolo) {
    // The library keeps the pointer until the workbook is written.
    m_titolo = titolo.toUtf8();
    lxw_doc_properties proprieta{};
    proprieta.title = m_titolo.data();
    verificaXlsx(workbook_set_properties(m_workbook, &proprieta), m_percorso);
}

void FileXlsx::chiudi() {
    lxw_workbook* workbook = std::exchange(m_workbook, nullptr);
    const lxw_error esito = workbook_close(workbook);
    if (esito != LXW_NO_ERROR) {
        QFile::remove(provvisorio());
        verificaXlsx(esito, m_percorso);
    }
    std::error_code errore;
    std::filesystem::rename(QFile::encodeName(provvisorio()).toStdString(),
                            QFile::encodeName(m_percorso).toStdString(), errore);
    if (errore) {
        QFile::remove(provvisorio());
        throw ErroreXlsx(errore.value(), m_percorso, QString::fromStdString(errore.message()));
    }
}

void impostaStampaXlsx(lxw_worksheet* foglio, int intestazione) {
    worksheet_set_landscape(foglio);
    worksheet_fit_to_pages(foglio, 1, 0);
    worksheet_repeat_rows(foglio, lxw_row_t(intestazione), lxw_row_t(intestazione));
}

void scriviTestoXlsx(lxw_worksheet* foglio, int riga, int colonna, const QString& testo,
                     lxw_format* formato) {
    if (testo.isEmpty()) {
        if (formato != nullptr)
            worksheet_write_blank(foglio, lxw_row_t(riga), lxw_col_t(colonna), formato);
        return;
    }
    worksheet_write_string(foglio, lxw_row_t(riga), lxw_col_t(colonna), testo.toUtf8().constData(),
                           formato);
}

void scriviNumeroXlsx(lxw_worksheet* foglio, int riga, int colonna, const Decimal& numero,
                      lxw_format* formato) {
    worksheet_write_number(foglio, lxw_row_t(riga), lxw_col_t(colonna), numero.toDouble(), formato);
}

QString formatoNumeroXlsx(int decimali) {
    if (decimali <= 0)
        return QStringLiteral("#,##0");
    return QStringLiteral("#,##0.") + QString(decimali, QLatin1Char('0'));
}

void LarghezzeColonne::misura(int colonna, qsizetype caratteri) {
    qsizetype& larghezza = m_larghezze[colonna];
    larghezza = std::max(larghezza, caratteri);
}

void LarghezzeColonne::misuraTesto(int colonna, const QString& testo) {
    misura(colonna, testo.size());
}

void LarghezzeColonne::misuraNumero(int colonna, const Decimal& numero, int decimali) {
    const QString cifre = numero.rescaled(std::max(decimali, 0)).toString();
    const qsizetype intere =
        cifre.indexOf(QLatin1Char('.')) < 0 ? cifre.size() : cifre.indexOf(QLatin1Char('.'));
    const qsizetype segno = cifre.startsWith(QLatin1Char('-')) ? 1 : 0;
    const qsizetype separatori = (intere - segno - 1) / 3;
    misura(colonna, cifre.size() + separatori);
}

void LarghezzeColonne::applica(lxw_worksheet* foglio) const {
    for (const auto& [colonna, caratteri] : m_larghezze) {
        const double larghezza =
            double(std::clamp(caratteri + MargineColonna, LarghezzaMinima, LarghezzaMassima));
        lxw_row_col_options opzioni{};
        opzioni.hidden = m_nascoste.count(colonna) != 0 ? 1 : 0;
        worksheet_set_column_opt(foglio, lxw_col_t(colonna), lxw_col_t(colonna), larghezza, nullptr,
                                 &opzioni);
    }
    for (const auto& nascosta : m_nascoste) {
        const int colonna = nascosta.first;
        if (m_larghezze.count(colonna) != 0)
            continue;
        lxw_row_col_options opzioni{};
        opzioni.hidden = 1;
        worksheet_set_column_opt(foglio, lxw_col_t(colonna), lxw_col_t(colonna), LXW_DEF_COL_WIDTH,
                                 nullptr, &opzioni);
    }
}

void scriviValoreXlsx(lxw_worksheet* foglio, int riga, int colonna, const Variant& valore,
                      std::optional<int> decimali, lxw_format* formato,
                      LarghezzeColonne& larghezze) {
    const std::optional<Decimal> numero =
        decimali && valore.isNumeric() ? valore.toDecimal() : std::optional<Decimal>();
    if (numero) {
        scriviNumeroXlsx(foglio, riga, colonna, *numero, formato);
        larghezze.misuraNumero(colonna, *numero, *decimali);
        return;
    }
    const QString testo = valore.isNullOrEmpty() ? QString() : valore.toString();
    scriviTestoXlsx(foglio, riga, colonna, testo, formato);
    larghezze.misuraTesto(colonna, testo);
}

} // namespace bdg
