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

void ModificaRiga::scrivi(Recordset& recordset) const {
    if (m_valori.empty())
        return; // nothing to write leaves the row as it is, saved or not
    std::vector<Variant> prima;
    std::vector<int> campi; // each name looked up once, for the read and the write
    prima.reserve(m_valori.size());
    campi.reserve(m_valori.size());
    try {
        for (const auto& [nome, campo, value] : m_valori) {
            campi.push_back(campo >= 0 ? campo : recordset.requireField(nome));
            prima.push_back(recordset.value(campi.back()));
            recordset.setValue(campi.back(), value);
        }
        recordset.Update();
    } catch (...) {
        // Old values were stored in these fields before, so they fit them again.
        for (std::size_t at = prima.size(); at-- > 0;)
            recordset.setValue(campi[at], prima[at]);
        throw;
    }
}

} // namespace bdg
