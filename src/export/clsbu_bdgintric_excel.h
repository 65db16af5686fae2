#pragma once

#include "data/recordset.h"
#include "data/variant.h"

#include <QString>

#include <cstdint>
#include <exception>
#include <memory>

namespace bdg {

class Cinterface;
class DocumentViewer;
class ErrorTrap;
class TraceSink;
class TreeGridModel;

/// Writes what a tree grid shows into a new workbook, for programs that want the inquiry's
/// result as a spreadsheet: the title in row 1, merged over the table and shaded in the
/// chosen colour, the grid's captions in row 3 (bold, shaded, aligned as the grid's headers
/// are), and from row 4 one row per shown node in tree order, the code indented by twelve
/// blanks per level, amounts as numbers with the run's decimals in "#,##0.00" style,
/// percentages times 100, every cell bordered.
///
/// The workbook is a file (NomeFile, or a new one in the temporary folder), written whole
/// or not at all, and then opened with the desktop's application for it when a viewer is
/// given. A failure is shown through the module's message service as "<number> -
/// <description> in <procedure> " with the abort/retry/ignore buttons (style 18); the
/// answer decides whether the procedure stops, tries the step again or goes on.
///
/// Creation and destruction are traced ("WOBN:|<id>|INI|BUUO_BDGINTRIC|CLSBU_BDGINTRIC_EXCEL").
class CLSBU_BDGINTRIC_EXCEL {
public:
    /// Background colours of the title and the headers, by BackColor (0 to 6).
    static constexpr std::uint32_t Sfondi[] = {0xF5F5F5, 0xE8F2FF, 0xF5F5F5, 0xFAF0E6,
                                               0xEEF7E6, 0xD8D5EC, 0xE5EAED};

    /// `trace` receives the trace lines; null: the debug output.
    explicit CLSBU_BDGINTRIC_EXCEL(TraceSink* trace = nullptr);
    ~CLSBU_BDGINTRIC_EXCEL();
    CLSBU_BDGINTRIC_EXCEL(const CLSBU_BDGINTRIC_EXCEL&) = delete;
    CLSBU_BDGINTRIC_EXCEL& operator=(const CLSBU_BDGINTRIC_EXCEL&) = delete;

    // Set by the caller before ExportToExcel.
    Cinterface* ActiveInterface = nullptr; ///< the module: its message service shows errors
    const TreeGridModel* TGRID = nullptr;  ///< the tree grid to export
    QString Titolo;
    std::int32_t BackColor = 0; ///< colour scheme 0 to 6; any other number takes 0
    Variant ElencoCdC;          ///< kept for the caller, not written
    bool NascondiZero = false;  ///< amounts equal to 0 are left blank
    QString NomeFile;           ///< the workbook to write; empty: a new temporary file
    DocumentViewer* Visualizzatore = nullptr; ///< opens the finished file; may be null

    /// Builds the workbook; false when it was not written (the user was told why).
    bool ExportToExcel();
    /// The table written from the grid: one field per visible column, one row per shown
    /// node. Null when it could not be built.
    RecordsetPtr CreaPopolaRstExcel();
    /// The column letters of a 1-based column number ("A", "Z", "AA", "ZZ", "AAA"); empty
    /// below 1 or for a value that is no number.
    QString MultiLetter(const Variant& InputNumber);

    /// The file of the last workbook written; empty before.
    const QString& fileScritto() const { return m_fileScritto; }

private:
    /// The error trap of a procedure of the class: errors go to segnalaErrore.
    ErrorTrap trappola(const QString& procedura) const;
    int segnalaErrore(const QString& procedura, std::exception_ptr errore) const;
    QString percorsoDestinazione() const;

    std::unique_ptr<TraceSink> m_tracePredefinita;
    TraceSink* m_trace;
    QString m_idIstanza;
    QString m_fileScritto;
};

} // namespace bdg
