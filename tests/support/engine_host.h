#pragma once

#include "data/decimal.h"
#include "data/recordset.h"
#include "data/variant.h"
#include "engine/rst_criterio.h"
#include "host/budget_object.h"
#include "host/form_state.h"
#include "host/host_global.h"
#include "host/host_log.h"
#include "host/message_service.h"
#include "support/text_rows.h"

#include <QString>
#include <QTemporaryDir>

#include <deque>
#include <functional>

namespace bdg::test {

/// "Null" stands for a Null amount, anything else is a decimal.
inline Variant amount(const QString& text) {
    if (text == QLatin1String("Null"))
        return Variant::null();
    return Variant(Decimal::parse(text));
}

/// An amount as the tests write it: "Null", or the decimal without trailing zeros.
inline QString text(const Variant& value) {
    if (value.isNullOrEmpty())
        return QStringLiteral("Null");
    return value.toDecimal()->normalized().toString();
}

/// Records and answers as RecordingMessageService does; before answering an error it runs
/// the next queued repair, so that a step answered with retry can meet a state in which it
/// succeeds, as after the user fixed what was wrong.
class RepairingMessageService : public RecordingMessageService {
public:
    void queueRepair(std::function<void()> repair) { m_repairs.push_back(std::move(repair)); }
    int ShowError(const QString& applicationTitle, const QString& caption,
                  const QString& procedureName, const QString& errorText, int buttons) override {
        if (!m_repairs.empty()) {
            const std::function<void()> repair = std::move(m_repairs.front());
            m_repairs.pop_front();
            repair();
        }
        return RecordingMessageService::ShowError(applicationTitle, caption, procedureName,
                                                  errorText, buttons);
    }

private:
    std::deque<std::function<void()>> m_repairs;
};

/// The host services an engine procedure needs, without a database: recorded messages, a
/// log in a temporary folder and a budget object for the differences; and a run's state with
/// `sets` comparison sets (sequences 1, 2, ...) and an empty criterion table.
struct EngineHost {
    RepairingMessageService messages;
    HostGlobal global{&messages, nullptr, QString()};
    QTemporaryDir logDir;
    HostLog log{&global, logDir.filePath(QStringLiteral("bdgintric.log"))};
    BudgetObject budget;
    FormState state;

    explicit EngineHost(int sets) {
        state.NrConfronti = std::int16_t(sets);
        state.Gcls_Global = &global;
        state.Gcls_Log = &log;
        state.ObjBudget = &budget;
        state.Caption = QStringLiteral("Budget riclassificato");
        QStringList sequences;
        for (int set = 1; set <= sets; ++set)
            sequences << QString::number(set);
        state.RstConfronto = table(QStringLiteral("CFR_SEQUENZA:i"), sequences);
        state.RstCriterio = BdgIntRic_DefinisciRstCriterio(state);
    }

    /// A node of the criterion table, its description its code unless given.
    void node(int key, const Variant& keyPadre, const QString& voce, const Variant& vocePadre,
              int tipo, const QString& record, const Variant& livello,
              const QStringList& importi = {}, const Variant& descrizione = Variant()) {
        Recordset& rs = *state.RstCriterio;
        rs.AddNew();
        rs.setValue(u"KEY_VOCE", Variant(key));
        rs.setValue(u"KEY_VOCEPADRE", keyPadre);
        rs.setValue(u"VOCE", Variant(voce));
        rs.setValue(u"VOCEPADRE", vocePadre);
        rs.setValue(u"VOCEDES", descrizione.isEmpty() ? Variant(voce) : descrizione);
        rs.setValue(u"TIPOVOCE", Variant(tipo));
        rs.setValue(u"TIPORECORD", Variant(record));
        rs.setValue(u"CRI_LIVELLO", livello);
        for (int set = 1; set <= importi.size(); ++set)
            rs.setValue(FieldImp(set), amount(importi.at(set - 1)));
        rs.Update();
    }

    /// The texts of the trapped errors, one a line; empty when the procedures ran clean.
    QString errorTexts() const {
        QStringList texts;
        for (const RecordedMessage& error : messages.errors())
            texts << error.procedureName + QStringLiteral(": ") + error.text;
        return texts.join(QLatin1Char('\n'));
    }
};

} // namespace bdg::test
