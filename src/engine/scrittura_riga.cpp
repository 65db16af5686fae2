#include "engine/scrittura_riga.h"

namespace bdg {

NuovaRiga::~NuovaRiga() {
    if (m_salvata)
        return;
    try {
        m_recordset.CancelUpdate();
    } catch (...) {
        // the row never joined the table: nothing is left to undo
    }
}

void NuovaRiga::salva() {
    m_recordset.Update();
    m_salvata = true;
}

void ModificaRiga::scrivi(Recordset& recordset) {
    if (m_valori.empty())
        return; // nothing to write leaves the row as it is, saved or not
    m_prima.clear();
    m_campi.clear();
    try {
        for (const auto& [nome, campo, value] : m_valori) {
            const int field = campo >= 0 ? campo : recordset.requireField(nome);
            Variant before = recordset.exchangeValue(field, value);
            m_campi.push_back(field);
            m_prima.push_back(std::move(before));
        }
        recordset.Update();
    } catch (...) {
        // Old values were stored in these fields before, so they fit them again.
        for (std::size_t at = m_prima.size(); at-- > 0;)
            recordset.setValue(m_campi[at], m_prima[at]);
        throw;
    }
}

} // namespace bdg
