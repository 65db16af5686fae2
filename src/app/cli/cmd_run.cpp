// bdgintric run: the inquiry from a terminal or a script, with the form's checks.
#include "app/cli/cli_options.h"
#include "app/cli/commands.h"
#include "app/cli/company_session.h"
#include "app/cli/progress_bar.h"
#include "app/cli/verb_runner.h"
#include "company/demo_database.h"
#include "export/clsbu_bdgintric_excel.h"
#include "export/esportazione_office.h"
#include "export/export_to_office.h"
#include "export/file_xlsx.h"
#include "export/output_target.h"
#include "export/risultato.h"
#include "export/scrittore_csv.h"
#include "export/scrittore_json.h"
#include "export/tabella_testo.h"
#include "host/contract/progress_indicator.h"
#include "host/host_log.h"

#include <QTextStream>

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>

namespace bdg::cli {
namespace {

[[noreturn]] void refuse(const Rifiuto& rifiuto) {
    // A shown refusal was already printed by the message service as the form shows it.
    const QString option = optionOfControl(rifiuto.controllo);
    if (rifiuto.mostrato)
        throw Refused(QStringLiteral("parameter refused (%1)").arg(option).toStdString());
    throw Refused(QStringLiteral("%1: %2").arg(option, rifiuto.testo).toStdString());
}

// Types `text` in a field and leaves it, as a user would; a refused value ends the command.
void enterField(FRMBU_BDGINTRIC& form, EditModel& field, const QString& text) {
    field.enter();
    field.type(Variant(text));
    if (!field.leave() && form.ultimoRifiuto())
        refuse(*form.ultimoRifiuto());
}

void loadProfile(FRMBU_BDGINTRIC& form, const QString& name) {
    form.TXT_PROFILO.enter();
    form.TXT_PROFILO.type(Variant(name));
    if (!form.TXT_PROFILO.leave())
        throw Refused(QStringLiteral("profile '%1' does not fit subtype %2")
                          .arg(name, form.TXT_SOTTOTIPO.code())
                          .toStdString());
    if (!form.state().RstConfronto || form.state().RstConfronto->RecordCount() == 0)
        throw Refused(QStringLiteral("--profile: no stored profile '%1'").arg(name).toStdString());
}

void fillSets(FRMBU_BDGINTRIC& form, const RunOptions& options) {
    if (!options.profile.isEmpty()) {
        loadProfile(form, options.profile);
        return;
    }
    for (const SetOption& set : options.sets)
        appendSet(form, set);
}

// The currency as taken from its lookup (its rate dated today), then the date and the rate
// the user typed, where the form lets them be typed.
void fillCurrency(FRMBU_BDGINTRIC& form, const RunOptions& options) {
    if (options.currency.isEmpty())
        return;
    form.TXT_VALUTA.type(Variant(options.currency));
    if (!form.TXT_VALUTA.takeTyped())
        throw Refused(QStringLiteral("--currency: unknown currency '%1'")
                          .arg(options.currency)
                          .toStdString());
    if (!options.rateDate.isEmpty() && form.TXT_DATACAMBIO.enabled()) {
        form.TXT_DATACAMBIO.type(Variant(options.rateDate));
        if (!form.ValutaGetDati())
            throw Refused(QStringLiteral("--rate-date: '%1' is not a date")
                              .arg(options.rateDate)
                              .toStdString());
    }
    if (!options.rate.isEmpty() && form.TXT_CAMBIO.enabled())
        form.TXT_CAMBIO.type(Variant(options.rate));
}

// A run that stopped because a figure outgrew its column while converting at a rate the
// user typed: that rate is the parameter the run could not take.
void refuseOverflowingRate(const FormState& state, const RunOptions& options) {
    if (options.rate.isEmpty() || state.Gcls_Log == nullptr ||
        !state.Gcls_Log->lastErrorText().contains(PrecisionExceeded))
        return;
    throw Refused(QStringLiteral("--rate: converted at %1 the amounts have more digits than "
                                 "an amount holds")
                      .arg(options.rate)
                      .toStdString());
}

void prepare(FRMBU_BDGINTRIC& form, const RunOptions& options) {
    enterField(form, form.TXT_SOTTOTIPO, options.subtype);
    if (options.consolidate && form.CHK_CONSOLIDO_MULTIATT.enabled())
        form.CHK_CONSOLIDO_MULTIATT.click();
    enterField(form, form.TXT_CRITERIO, options.criterion);
    fillSets(form, options);
    if (!options.from.isEmpty())
        form.TXT_PERIODO_DA.type(Variant(options.from));
    if (!options.to.isEmpty())
        form.TXT_PERIODO_A.type(Variant(options.to));
    if (options.showNullAccounts)
        form.CHK_NASCONDI_NULL.click();
    fillCurrency(form, options);
}

// The bar on standard error runs while the form's progress indicator does.
class BarIndicator : public ProgressIndicator {
public:
    void start(const QString& /*caption*/) override { m_bar.start(); }
    void stop() override { m_bar.stop(); }

private:
    ProgressBar m_bar;
};

QString setsText(const FormState& state) {
    QStringList captions;
    for (const QString& caption : state.ArrCaptionColonne[1])
        captions << caption;
    return captions.join(QStringLiteral(", "));
}

QList<QPair<QString, QString>> parameters(const CompanySession& session, const FormState& state,
                                          const RunOptions& options) {
    return {
        {QStringLiteral("db"), session.label()},
        {QStringLiteral("ditta"), QString::number(state.CodDitta)},
        {QStringLiteral("sottotipo"), state.CodSottotipo.toString()},
        {QStringLiteral("criterio"), state.CodCriterio.toString()},
        {QStringLiteral("periodo_da"), state.PeriodoDa.toString()},
        {QStringLiteral("periodo_a"), state.PeriodoA.toString()},
        {QStringLiteral("valuta"), NVL(state.CodValutaElab, state.CodValutaGestione).toString()},
        {QStringLiteral("cambio"), state.CambioElab.toString()},
        {QStringLiteral("profilo"), options.profile},
        {QStringLiteral("confronti"), setsText(state)},
        {QStringLiteral("formato_importi"), state.FormatoImporti}};
}

int terminalWidth() {
    winsize size{};
    if (isatty(STDOUT_FILENO) && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    bool ok = false;
    const int columns = qEnvironmentVariableIntValue("COLUMNS", &ok);
    // Into a file or a pipe nothing wraps: descriptions are shown whole.
    return ok && columns > 0 ? columns : 0;
}

QString title(const FormState& state) {
    return QStringLiteral("Budget per criterio %1 - sottotipo %2 - periodi %3-%4 - valuta %5")
        .arg(state.CodCriterio.toString(), state.CodSottotipo.toString(),
             state.PeriodoDa.toString(), state.PeriodoA.toString(),
             NVL(state.CodValutaElab, state.CodValutaGestione).toString());
}

void writeText(Risultato& risultato, const FormState& state, const RunOptions& options,
               QTextStream& out) {
    if (options.format == Formato::Json) {
        ScrittoreJson(options.periods).write(risultato, out);
        return;
    }
    if (options.format == Formato::Csv) {
        ScrittoreCsv(options.periods).write(risultato, out);
        return;
    }
    TabellaTesto tabella(terminalWidth());
    if (!options.node.isEmpty())
        tabella.setPeriodi(TabellaTesto::Periodi::Nodo, options.node);
    else if (options.periods)
        tabella.setPeriodi(TabellaTesto::Periodi::Tutti);
    out << title(state) << "\n\n";
    tabella.write(risultato, out);
}

// Standard output, or the file of --output (see OutputTarget for how it is replaced).
void writeOutput(Risultato& risultato, const FormState& state, const RunOptions& options,
                 QTextStream& out) {
    if (options.output.isEmpty()) {
        writeText(risultato, state, options, out);
        return;
    }
    OutputTarget(options.output).writeText([&](QTextStream& stream) {
        writeText(risultato, state, options, stream);
    });
}

// The tree as the desktop's spreadsheet writer writes it; the writer has told the user why
// it could not. It writes the file OutputTarget gives it, which then takes the target's
// place.
void writeWorkbook(FRMBU_BDGINTRIC& form, const RunOptions& options) {
    OutputTarget(options.output).writeFile([&](const QString& path) {
        CLSBU_BDGINTRIC_EXCEL scrittore;
        scrittore.ActiveInterface = form.ActiveInterface();
        scrittore.TGRID = &form.TGRID_BDGINTRIC;
        scrittore.Titolo = title(form.state());
        scrittore.NomeFile = path;
        if (!scrittore.ExportToExcel())
            throw DatabaseError(
                QStringLiteral("cannot write workbook '%1'").arg(options.output).toStdString());
    });
}

// The blocks the desktop hands to the host's office export, with the periods pane shown
// when the periods are asked for.
void writeOffice(FRMBU_BDGINTRIC& form, const RunOptions& options, QTextStream& out) {
    if (options.periods && !form.PeriodiVisibili)
        form.BUT_PERIODI_VISIBLE.click();
    EsportazioneOffice esportazione;
    bool cancel = false;
    ActiveNavigator_BeforeExportToOffice(&form, cancel, &esportazione);
    if (esportazione.blocchi().size() < 2)
        throw DatabaseError("the result could not be assembled for the office export");
    if (options.output.isEmpty()) {
        esportazione.scriviCsv(out);
        return;
    }
    const OutputTarget target(options.output);
    if (options.output.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) {
        target.writeText([&](QTextStream& stream) { esportazione.scriviCsv(stream); });
        return;
    }
    target.writeFile([&](const QString& path) {
        try {
            esportazione.scriviXlsx(path);
        } catch (const ErroreXlsx& error) {
            throw DatabaseError(QStringLiteral("cannot write workbook '%1': %2")
                                    .arg(options.output, error.motivo())
                                    .toStdString());
        }
    });
}

int inquiry(CompanySession& session, const RunOptions& options, QTextStream& out) {
    FRMBU_BDGINTRIC& form = session.form();
    prepare(form, options);
    BarIndicator bar;
    form.ZEL_PROGRESS.setIndicator(&bar);
    form.BUT_ELABORA_ButtonClick();
    form.ZEL_PROGRESS.setIndicator(nullptr);
    const std::optional<EsitoElaborazione> esito = form.esitoElaborazione();
    if (!esito) {
        if (form.ultimoRifiuto())
            refuse(*form.ultimoRifiuto());
        return ExitDatabase;
    }
    if (*esito == EsitoElaborazione::Interrotta) {
        refuseOverflowingRate(form.state(), options);
        return ExitDatabase;
    }
    if (*esito != EsitoElaborazione::Completata) {
        // "Criterio non valorizzato" also follows an amounts query that failed.
        throwDatabaseFailure(session);
        return ExitNoData;
    }
    if (options.format == Formato::Xlsx) {
        writeWorkbook(form, options);
        return ExitOk;
    }
    if (options.format == Formato::Office) {
        writeOffice(form, options, out);
        return ExitOk;
    }
    const FormState& state = form.state();
    Risultato risultato(state, parameters(session, state, options));
    writeOutput(risultato, state, options, out);
    return ExitOk;
}

int runRun(const QStringList& arguments) {
    return runVerb(QStringLiteral("run"), RunUsage, [&](QTextStream& out, QTextStream& err) -> int {
        const RunOptions options =
            arguments.isEmpty() ? demoRunOptions() : parseRunOptions(arguments);
        if (options.help) {
            out << RunUsage;
            return ExitOk;
        }
        return runInquiry(options, out, err);
    });
}

// Writing the result over the company database, or one of its journals, would destroy the
// company: refused before anything is opened.
void refuseDatabaseOutput(const RunOptions& options) {
    const auto file = OutputTarget::companyDatabaseFile(
        options.output, options.db.isEmpty() ? defaultDemoDatabase() : options.db);
    if (!file)
        return;
    throw Refused(QStringLiteral("--output '%1' is the company database '%2'%3; choose another "
                                 "file")
                      .arg(options.output, file->database,
                           file->journal.isEmpty()
                               ? QString()
                               : QStringLiteral(" (its %1 file)").arg(file->journal))
                      .toStdString());
}

[[maybe_unused]] const bool registered = [] {
    registerCommand({QStringLiteral("run"),
                     QStringLiteral("run the inquiry and print or write its result"), runRun});
    return true;
}();

} // namespace

int runInquiry(const RunOptions& options, QTextStream& out, QTextStream& err) {
    try {
        refuseDatabaseOutput(options);
        return withSession(options.db, options.company, err,
                           [&](CompanySession& session) { return inquiry(session, options, out); });
    } catch (const Refused& refusal) {
        err << "bdgintric: " << refusal.what() << '\n';
        return ExitUsage;
    } catch (const std::exception& error) {
        err << "bdgintric: " << error.what() << '\n';
        return ExitDatabase;
    }
}

} // namespace bdg::cli
