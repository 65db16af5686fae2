#pragma once

#include "data/recordset.h"
#include "data/variant.h"

#include <QString>

#include <vector>

namespace bdg {

/*
 * Row writes that a trapped step can run again.
 *
 * Under the error convention a retry runs the failing step again, so a step must leave the
 * table as if it had never started when it fails halfway: a new row is either saved whole or
 * dropped, and a change to several fields of a row is either written whole or not at all.
 */

/// A row started with AddNew: saved by salva(), dropped when the object goes before that.
class NuovaRiga {
public:
    explicit NuovaRiga(Recordset& recordset) : m_recordset(recordset) { m_recordset.AddNew(); }
    ~NuovaRiga();
    NuovaRiga(const NuovaRiga&) = delete;
    NuovaRiga& operator=(const NuovaRiga&) = delete;
    void salva();

private:
    Recordset& m_recordset;
    bool m_salvata = false;
};

/// New values for fields of the current row, written together by scrivi(): when the table
/// refuses one of them, the fields already written get their old values back before the
/// error goes on. One object can serve row after row: ricomincia() forgets the values and
/// keeps the room they took, so a procedure changing thousands of rows allocates once.
class ModificaRiga {
public:
    void imposta(const QString& field, Variant value) {
        m_valori.push_back({field, -1, std::move(value)});
    }
    /// The field by its position in the recordset.
    void imposta(int field, Variant value) { m_valori.push_back({{}, field, std::move(value)}); }
    void ricomincia() { m_valori.clear(); }
    void scrivi(Recordset& recordset);

private:
    struct Valore {
        QString nome;   ///< looked up when written; empty when the position is given
        int campo = -1; ///< position in the recordset
        Variant valore;
    };
    std::vector<Valore> m_valori;
    // What scrivi() found in each field, to put back on a refusal.
    std::vector<Variant> m_prima;
    std::vector<int> m_campi;
};

} // namespace bdg
