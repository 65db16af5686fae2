#pragma once

#include "data/variant.h"

#include <QString>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace bdg {

/// An array of values of one or two dimensions, indexed from 0, as a module hands its
/// blocks to the host's office export. A one-dimensional array is a list (labels, or the
/// values beside them); a two-dimensional one has rows and columns.
class ArrayVariant {
public:
    ArrayVariant() = default;
    /// A list of `elementi` Empty values.
    explicit ArrayVariant(int elementi) : m_colonne(std::max(elementi, 0)) {
        m_valori.resize(std::size_t(m_colonne));
    }
    /// `righe` rows of `colonne` Empty values.
    ArrayVariant(int righe, int colonne)
        : m_dimensioni(2), m_righe(std::max(righe, 0)), m_colonne(std::max(colonne, 0)) {
        m_valori.resize(std::size_t(m_righe) * std::size_t(m_colonne));
    }

    int dimensioni() const { return m_dimensioni; }
    /// Rows of a two-dimensional array; 1 for a list.
    int righe() const { return m_righe; }
    /// Columns of a two-dimensional array; the elements of a list.
    int colonne() const { return m_colonne; }

    Variant& operator()(int elemento) { return m_valori.at(posizione(0, elemento)); }
    const Variant& operator()(int elemento) const { return m_valori.at(posizione(0, elemento)); }
    Variant& operator()(int riga, int colonna) { return m_valori.at(posizione(riga, colonna)); }
    const Variant& operator()(int riga, int colonna) const {
        return m_valori.at(posizione(riga, colonna));
    }

private:
    std::size_t posizione(int riga, int colonna) const {
        if (riga < 0 || riga >= m_righe || colonna < 0 || colonna >= m_colonne)
            throw std::out_of_range("index out of the array's bounds");
        return std::size_t(riga) * std::size_t(m_colonne) + std::size_t(colonna);
    }

    int m_dimensioni = 1;
    int m_righe = 1;
    int m_colonne = 0;
    std::vector<Variant> m_valori;
};

/// Kind codes of a detail block's columns (the second row of its header array).
namespace TipoColonnaOffice {
inline constexpr int Testo = 202;
/// A number with 0 to 6 decimals is 990 to 996.
inline constexpr int Numero = 990;
inline constexpr int DecimaliMassimi = 6;
} // namespace TipoColonnaOffice

/// The host's export of the inquiry in front to office documents (Pcls_ExpToOffice).
///
/// Before the host exports, it asks the module for its blocks: the module sets the two
/// captions and adds blocks with AddMasterDetail. A block whose labels are a list is a
/// master block: one label beside each value of `values` (a list of the same size). A
/// block whose labels have two rows is a detail block: row 0 the column captions, row 1
/// the kind codes (TipoColonnaOffice), and `values` one row per record with one column per
/// caption. The host renders the blocks in the order they were added.
class OfficeExport {
public:
    virtual ~OfficeExport() = default;

    virtual QString ZelCaption() const = 0;
    virtual void setZelCaption(const QString& caption) = 0;
    virtual QString TitoloMaster() const = 0;
    virtual void setTitoloMaster(const QString& titolo) = 0;
    /// Adds a block titled `caption`; std::invalid_argument when the arrays do not match.
    virtual void AddMasterDetail(const ArrayVariant& labels, const ArrayVariant& values,
                                 const QString& caption) = 0;
};

/// Opens a finished document with the application the desktop associates with it.
class DocumentViewer {
public:
    virtual ~DocumentViewer() = default;

    /// False when the desktop has no application for it (the file stays where it is).
    virtual bool open(const QString& path) = 0;
};

} // namespace bdg
