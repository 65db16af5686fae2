#pragma once

// The form started on a company as a host starts it, and user scripts run on it: each step
// is one thing a user does, written "field:value" ("sottotipo:SB1", "set:0:2026:1", "da:1",
// "elabora"), so that a test lists a session as data.

#include "form/frmbu_bdgintric.h"
#include "host/basic_module.h"
#include "host/basic_navigator.h"
#include "host/host_global.h"
#include "host/trace.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <utility>

namespace bdg::test {

struct FormSession {
    explicit FormSession(HostGlobal& global, ServiziForm servizi = {}) {
        module.setClsGlobal(&global);
        module.setActiveNavigator(&navigator);
        module.setCaption(QStringLiteral("Budget per criterio"));
        module.setClsVoceMenu(&voceMenu);
        servizi.trace = &trace;
        servizi.logFilePath = logDir.filePath(QStringLiteral("form.log"));
        if (!servizi.oggi.isValid())
            servizi.oggi = QDate(2026, 6, 15);
        form = std::make_unique<FRMBU_BDGINTRIC>(servizi);
        form->setActiveInterface(&module);
        form->setCaption(module.Caption().toString());
    }

    FRMBU_BDGINTRIC& operator*() { return *form; }
    FRMBU_BDGINTRIC* operator->() { return form.get(); }

    /// Runs the steps in order; false with `failed` set at the first a user could not do.
    bool run(const QStringList& steps) {
        for (const QString& step : steps) {
            if (!step1(step.section(QLatin1Char(':'), 0, 0), step.section(QLatin1Char(':'), 1))) {
                failed = step;
                return false;
            }
        }
        return true;
    }

    BasicNavigator navigator;
    BasicModule module;
    VoceMenu voceMenu{Variant(4711), QStringLiteral("Budget per criterio")};
    RecordingTraceSink trace;
    QTemporaryDir logDir;
    std::unique_ptr<FRMBU_BDGINTRIC> form;
    QString failed;

private:
    // A field typed and left; a refused value is a step done (the test checks the refusal).
    bool field(EditModel& edit, const QString& value) {
        edit.enter();
        edit.type(Variant(value));
        edit.leave();
        return true;
    }

    // A set as the user adds it: the add button, then the kind, year, progressive and site
    // chosen in the new row, then the difference check boxes ("0:2026:1:2:delta:perc").
    bool addSet(const QString& value) {
        FRMBU_BDGINTRIC& f = *form;
        if (!f.BUT_QGRID_PIU.click())
            return false;
        const QStringList parts = value.split(QLatin1Char(':'));
        const QStringList fields = {QStringLiteral("CFR_TIPODETT"), QStringLiteral("CFR_ANNO"),
                                    QStringLiteral("CFR_PROGESER"), QStringLiteral("CFR_SEDE")};
        for (int part = 0; part < parts.size(); ++part) {
            const QString& text = parts.at(part);
            if (text == QLatin1String("delta") || text == QLatin1String("perc")) {
                if (!f.QGRID_CONFRONTO.clickCheckBox(text == QLatin1String("delta")
                                                         ? QStringLiteral("CFR_DELTA")
                                                         : QStringLiteral("CFR_DELTA_PERC")))
                    return false;
            } else if (!text.isEmpty() && !f.QGRID_CONFRONTO.editCell(fields.at(part), text)) {
                return false;
            }
        }
        return true;
    }

    bool step1(const QString& what, const QString& value) {
        FRMBU_BDGINTRIC& f = *form;
        const std::pair<const char*, EditModel*> fields[] = {
            {"sottotipo", &f.TXT_SOTTOTIPO}, {"criterio", &f.TXT_CRITERIO},
            {"da", &f.TXT_PERIODO_DA},       {"a", &f.TXT_PERIODO_A},
            {"data", &f.TXT_DATACAMBIO},     {"cambio", &f.TXT_CAMBIO},
            {"profilo", &f.TXT_PROFILO}};
        for (const auto& [name, edit] : fields) {
            if (what == QLatin1String(name))
                return field(*edit, value);
        }
        if (what == QLatin1String("valuta")) // taken from the lookup, as a user picks it
            return f.TXT_VALUTA.openLookup() && f.TXT_VALUTA.pick(value);
        if (what == QLatin1String("set"))
            return addSet(value);
        if (what == QLatin1String("riga"))
            return f.QGRID_CONFRONTO.selectRow(value.toInt());
        if (what == QLatin1String("casella"))
            return f.QGRID_CONFRONTO.clickCheckBox(value);
        if (what == QLatin1String("spunta")) {
            auto* check = qobject_cast<CheckModel*>(f.controllo(value));
            if (check == nullptr || !check->enabled())
                return false;
            check->click();
            return true;
        }
        if (what == QLatin1String("nodo"))
            return f.TGRID_BDGINTRIC.selectKey(value.toLongLong());
        auto* button = qobject_cast<ButtonModel*>(f.controllo(what));
        return button != nullptr && button->click();
    }
};

} // namespace bdg::test
