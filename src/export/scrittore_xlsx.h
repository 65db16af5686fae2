#pragma once

#include <QString>

#include <stdexcept>

namespace bdg {

class Risultato;

/// A workbook that could not be written; the text names the file and the reason.
class ErroreXlsx : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The result as an .xlsx workbook with one sheet: a title row, the run's captions as
/// column headers, then the tree in display order with the items indented by level and
/// the amounts as numbers in the run's masks, so that the sheet computes with them. The
/// file is written beside the target and moved into place only when complete.
class ScrittoreXlsx {
public:
    explicit ScrittoreXlsx(QString titolo) : m_titolo(std::move(titolo)) {}

    void write(Risultato& risultato, const QString& percorso) const;

private:
    QString m_titolo;
};

/// The number format of a column in the workbook: the run's mask as it is (the masks use
/// the sheet's own grouping and decimal symbols), "General" when empty.
QString formatoFoglio(const QString& maschera);

} // namespace bdg
