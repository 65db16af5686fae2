#pragma once

#include "host/contract/office_export.h"

#include <QList>
#include <QString>

class QTextStream;

namespace bdg {

/// One block handed to the office export: its title, its labels and its values.
struct BloccoOffice {
    QString titolo;
    ArrayVariant etichette;
    ArrayVariant valori;

    /// A master block pairs each label with one value; a detail block is a table.
    bool isMaster() const { return etichette.dimensioni() == 1; }
};

/// The host's office export: it keeps the blocks a module adds and writes them as one
/// workbook sheet or as CSV.
///
/// In the workbook the blocks follow one another down the sheet, each under its title in
/// bold: a master block as label and value side by side, a detail block as a table with a
/// header row of its captions (bold, shaded, repeated on every printed page, frozen while
/// scrolling) and its rows below. A detail column's kind code sets its cells: 202 text,
/// 990 to 996 numbers with 0 to 6 decimals; numbers are the exact values, shown with
/// thousands separators. Columns are as wide as what they hold.
class EsportazioneOffice : public OfficeExport {
public:
    QString ZelCaption() const override { return m_zelCaption; }
    void setZelCaption(const QString& caption) override { m_zelCaption = caption; }
    QString TitoloMaster() const override { return m_titoloMaster; }
    void setTitoloMaster(const QString& titolo) override { m_titoloMaster = titolo; }
    void AddMasterDetail(const ArrayVariant& labels, const ArrayVariant& values,
                         const QString& caption) override;

    const QList<BloccoOffice>& blocchi() const { return m_blocchi; }

    /// Writes the workbook at `percorso`, replacing it only when complete; ErroreXlsx.
    void scriviXlsx(const QString& percorso) const;
    /// The same blocks as CSV: each block's title on a line of its own, a master block as
    /// label,value lines, a detail block as a header line and its rows, an empty line
    /// between blocks; numbers exact with a decimal point, lines ending in CR LF.
    void scriviCsv(QTextStream& out) const;

private:
    QString m_zelCaption;
    QString m_titoloMaster;
    QList<BloccoOffice> m_blocchi;
};

} // namespace bdg
