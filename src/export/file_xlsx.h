#pragma once

#include "data/decimal.h"
#include "data/variant.h"

#include <QString>

#include <map>
#include <optional>
#include <stdexcept>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace bdg {

/// A workbook that could not be written. The text (Italian, for the user) names the file and
/// the reason; `numero` is the workbook library's error code, or the system's when the
/// finished file could not be moved into place.
class ErroreXlsx : public std::runtime_error {
public:
    ErroreXlsx(int numero, QString percorso, QString motivo);

    int numero() const { return m_numero; }
    const QString& percorso() const { return m_percorso; }
    const QString& motivo() const { return m_motivo; }

private:
    int m_numero;
    QString m_percorso;
    QString m_motivo;
};

/// A new .xlsx file. The workbook is written beside its target and moved into place only
/// when complete, so a file is replaced whole or not at all; a workbook never closed is
/// discarded.
class FileXlsx {
public:
    /// ErroreXlsx when the workbook cannot be started.
    explicit FileXlsx(QString percorso);
    ~FileXlsx();
    FileXlsx(const FileXlsx&) = delete;
    FileXlsx& operator=(const FileXlsx&) = delete;

    lxw_workbook* workbook() const { return m_workbook; }
    /// Adds a sheet; its name is cut to what a sheet name may hold.
    lxw_worksheet* aggiungiFoglio(const QString& nome);
    lxw_format* nuovoFormato();
    void setTitolo(const QString& titolo);
    /// Writes the workbook and moves it into place; ErroreXlsx on failure, nothing left.
    void chiudi();

private:
    QString provvisorio() const;

    QString m_percorso;
    lxw_workbook* m_workbook = nullptr;
    QByteArray m_titolo;
};

/// Prints the sheet landscape, one page wide, repeating the header row `intestazione` (from
/// 0) on every page.
void impostaStampaXlsx(lxw_worksheet* foglio, int intestazione);

/// Throws ErroreXlsx for a failed call of the workbook library on `percorso`.
void verificaXlsx(int esito, const QString& percorso);

/// Writes a text cell; an empty text leaves the cell blank unless it has a format.
void scriviTestoXlsx(lxw_worksheet* foglio, int riga, int colonna, const QString& testo,
                     lxw_format* formato);
/// Writes an exact decimal as the sheet's number: the nearest binary value, as every
/// spreadsheet holds it.
void scriviNumeroXlsx(lxw_worksheet* foglio, int riga, int colonna, const Decimal& numero,
                      lxw_format* formato);

/// The number format of a column of amounts with `decimali` decimals: "#,##0.00" for two.
QString formatoNumeroXlsx(int decimali);

/// The widths of a sheet's columns from what they hold, in characters, so that no figure is
/// shown as "####" and no description is cut short beyond reason.
class LarghezzeColonne {
public:
    void misuraTesto(int colonna, const QString& testo);
    /// A number as its format shows it: sign, digits with thousands separators, decimals.
    void misuraNumero(int colonna, const Decimal& numero, int decimali);
    /// The column is hidden whatever it holds.
    void nascondi(int colonna) { m_nascoste[colonna] = true; }
    void applica(lxw_worksheet* foglio) const;

private:
    void misura(int colonna, qsizetype caratteri);

    std::map<int, qsizetype> m_larghezze;
    std::map<int, bool> m_nascoste;
};

/// Writes a value and widens its column to it: in a column of numbers (`decimali` given) a
/// number as the sheet's number, anything else as its text; Null and Empty leave the cell
/// blank (with `formato`, when there is one).
void scriviValoreXlsx(lxw_worksheet* foglio, int riga, int colonna, const Variant& valore,
                      std::optional<int> decimali, lxw_format* formato,
                      LarghezzeColonne& larghezze);

} // namespace bdg
