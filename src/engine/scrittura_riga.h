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
/// error goes on.
class ModificaRiga {
public:
    void imposta(const QString& field, Variant value) {
        riserva();
        m_valori.push_back({field, -1, std::move(value)});
    }
    /// The field by its position in the recordset.
    void imposta(int field, Variant value) {
        riserva();
        m_valori.push_back({{}, field, std::move(value)});
    }
    void scrivi(Recordset& recordset) const;

private:
    // A row change names a few fields: room for them at once instead of growing step by step.
    void riserva() {
        if (m_valori.empty())
            m_valori.reserve(8);
    }
    struct Valore {
        QString nome;   ///< looked up when written; empty when the position is given
        int campo = -1; ///< position in the recordset
        Variant valore;
    };
    std::vector<Valore> m_valori;
};

} // namespace bdg
