// bdgintric run: the inquiry from a terminal or a script, with the form's checks.
#include "app/cli/cli_options.h"
#include "app/cli/commands.h"
#include "app/cli/company_session.h"
#include "app/cli/progress_bar.h"
#include "app/cli/verb_runner.h"
#include "compare/profili.h"
#include "compare/rst_confronto.h"
#include "export/risultato.h"
#include "export/scrittore_csv.h"
#include "export/scrittore_json.h"
#include "export/scrittore_xlsx.h"
#include "export/tabella_testo.h"
#include "params/criterio.h"
#include "params/parametri.h"
#include "params/sottotipo.h"
#include "params/valuta.h"

#include <QSaveFile>
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

void check(const EsitoParametro& esito) {
    if (esito)
        refuse(*esito);
}

void loadProfile(FormState& state, const QString& name) {
    bool cancel = false;
    if (PopolaRstConfrontoDaBU68(state, Variant(name), cancel) || cancel)
        throw Refused(QStringLiteral("profile '%1' does not fit subtype %2")
                          .arg(name, state.CodSottotipo.toString())
                          .toStdString());
    if (state.RstConfronto->RecordCount() == 0)
        throw Refused(QStringLiteral("--profile: no stored profile '%1'").arg(name).toStdString());
}

void fillSets(FormState& state, const RunOptions& options) {
    if (!options.profile.isEmpty()) {
        loadProfile(state, options.profile);
        return;
    }
    for (const SetOption& set : options.sets)
        appendSet(state, set);
}

// The currency's rate and date as the currency field leaves them, then what the user typed.
void fillCurrency(FormState& state, const RunOptions& options, ValoriParametri& valori) {
    if (options.currency.isEmpty())
        return;
    if (!DescrizioneValuta(state, options.currency))
        throw Refused(QStringLiteral("--currency: unknown currency '%1'")
                          .arg(options.currency)
                          .toStdString());
    // As in the form: taking a currency dates its rate today, unless a date was typed.
    CampiCambio campi;
    bool letta = false;
    if (options.rateDate.isEmpty()) {
        letta = TXT_VALUTA_AfterItem(state, Variant(options.currency), campi);
    } else {
        campi.TXT_DATACAMBIO = Variant(options.rateDate);
        letta = ValutaGetDati(state, Variant(options.currency), campi);
    }
    if (!letta)
        throw Refused(
            QStringLiteral("--rate-date: '%1' is not a date").arg(options.rateDate).toStdString());
    valori.TXT_VALUTA = Variant(options.currency);
    valori.TXT_DATACAMBIO = campi.TXT_DATACAMBIO;
    valori.TXT_CAMBIO = options.rate.isEmpty() ? campi.TXT_CAMBIO : Variant(options.rate);
}

ValoriParametri prepare(FormState& state, const RunOptions& options) {
    ControlliSottotipo controlli;
    check(TXT_SOTTOTIPO_Validate(state, Variant(options.subtype), &controlli));
    // The click takes the code again; the sets' messages need it before.
    state.CodSottotipo = Variant(options.subtype);
    check(TXT_CRITERIO_Validate(state, Variant(options.criterion)));
    fillSets(state, options);
    ValoriParametri valori;
    valori.TXT_SOTTOTIPO = Variant(options.subtype);
    valori.TXT_CRITERIO = Variant(options.criterion);
    valori.TXT_PERIODO_DA =
        Variant(options.from.isEmpty() ? controlli.TXT_PERIODO_DA : options.from);
    if (!options.to.isEmpty())
        valori.TXT_PERIODO_A = Variant(options.to);
    else if (controlli.TXT_PERIODO_A)
        valori.TXT_PERIODO_A = Variant(*controlli.TXT_PERIODO_A);
    valori.CHK_CONSOLIDO_MULTIATT = Variant(options.consolidate ? 1 : 0);
    valori.CHK_NASCONDI_NULL = Variant(options.showNullAccounts ? 0 : 1);
    fillCurrency(state, options, valori);
    return valori;
}

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
        out << ScrittoreJson(options.periods).document(risultato).toJson(QJsonDocument::Indented);
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

// A file is written whole or not at all: QSaveFile replaces the target only on commit.
void writeOutput(Risultato& risultato, const FormState& state, const RunOptions& options,
                 QTextStream& out) {
    if (options.format == Formato::Xlsx) {
        ScrittoreXlsx(title(state)).write(risultato, options.output);
        return;
    }
    if (options.output.isEmpty()) {
        writeText(risultato, state, options, out);
        return;
    }
    QSaveFile file(options.output);
    if (!file.open(QIODevice::WriteOnly))
        throw DatabaseError(QStringLiteral("cannot write '%1': %2")
                                .arg(options.output, file.errorString())
                                .toStdString());
    QTextStream stream(&file);
    writeText(risultato, state, options, stream);
    stream.flush();
    if (!file.commit())
        throw DatabaseError(QStringLiteral("cannot write '%1': %2")
                                .arg(options.output, file.errorString())
                                .toStdString());
}

int inquiry(const RunOptions& options, QTextStream& out, QTextStream& err) {
    CompanySession session(options.db, options.company, err);
    FormState& state = session.state();
    const ValoriParametri valori = prepare(state, options);
    ProgressBar bar;
    bar.start();
    const EsitoClickElabora esito = BUT_ELABORA_ButtonClick(state, valori);
    bar.stop();
    check(esito.rifiuto);
    if (!esito.elaborazione || *esito.elaborazione == EsitoElaborazione::Interrotta)
        return ExitDatabase;
    if (*esito.elaborazione != EsitoElaborazione::Completata)
        return ExitNoData;
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

[[maybe_unused]] const bool registered = [] {
    registerCommand({QStringLiteral("run"),
                     QStringLiteral("run the inquiry and print or write its result"), runRun});
    return true;
}();

} // namespace

int runInquiry(const RunOptions& options, QTextStream& out, QTextStream& err) {
    try {
        return inquiry(options, out, err);
    } catch (const Refused& refusal) {
        err << "bdgintric: " << refusal.what() << '\n';
        return ExitUsage;
    } catch (const std::exception& error) {
        err << "bdgintric: " << error.what() << '\n';
        return ExitDatabase;
    }
}

} // namespace bdg::cli
