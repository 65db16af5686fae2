// bdgintric lookup: what the lookups of the form list, one code and description a line.
#include "app/cli/cli_options.h"
#include "app/cli/commands.h"
#include "app/cli/company_session.h"
#include "app/cli/verb_runner.h"
#include "compare/profili.h"
#include "params/criterio.h"
#include "params/sottotipo.h"
#include "params/valuta.h"

#include <QTextStream>

namespace bdg::cli {
namespace {

const char* const Usage =
    "Usage: bdgintric lookup subtypes|criteria|currencies|profiles [--db TARGET]\n"
    "                        [--company N] [--subtype CODE]\n\n"
    "Lists what the form's lookup of that field offers, ordered by code, one entry a line:\n"
    "the code, a tab and the description. 'criteria' with --subtype lists only the criteria\n"
    "mapping accounts of that subtype's chart of accounts.\n\n"
    "Exit status: 0 listed, 2 usage error or refused subtype, 4 database error.\n";

struct LookupOptions {
    QString what;
    QString db;
    int company = 1;
    QString subtype;
    bool help = false;
};

LookupOptions parseLookup(const QStringList& arguments) {
    LookupOptions options;
    QStringList rest;
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        const QString& argument = arguments.at(index);
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h"))
            options.help = true;
        else if (argument.startsWith(QLatin1String("--")))
            rest << argument << arguments.value(++index);
        else if (options.what.isEmpty())
            options.what = argument;
        else
            throw UsageError(
                QStringLiteral("one list at a time; '%1' is extra").arg(argument).toStdString());
    }
    // The shared options mean what they mean for run; anything else is refused there.
    const RunOptions shared = parseRunOptions(rest);
    if (!shared.criterion.isEmpty() || !shared.sets.isEmpty() || !shared.output.isEmpty())
        throw UsageError("lookup takes only --db, --company and --subtype");
    options.db = shared.db;
    options.company = shared.company;
    options.subtype = shared.subtype;
    return options;
}

void print(QTextStream& out, const QList<VoceElenco>& voci) {
    for (const VoceElenco& voce : voci)
        out << voce.codice << '\t' << voce.descrizione << '\n';
}

int lookup(CompanySession& session, const LookupOptions& options, QTextStream& out) {
    FormState& state = session.state();
    if (options.what == QLatin1String("subtypes")) {
        print(out, ElencoSottotipi(session.connection(), state.IndTipoBudget));
    } else if (options.what == QLatin1String("currencies")) {
        print(out, ElencoValute(session.connection()));
    } else if (options.what == QLatin1String("profiles")) {
        for (const QString& nome : ElencoProfili(session.connection()))
            out << nome << '\n';
    } else {
        ModoLookupCriterio modo = ModoLookupCriterio::Tutti;
        if (!options.subtype.isEmpty()) {
            if (const auto rifiuto = TXT_SOTTOTIPO_Validate(state, Variant(options.subtype)))
                throw Refused(QStringLiteral("--subtype: %1").arg(rifiuto->testo).toStdString());
            modo = ModoLookupCriterio::Correlati;
        }
        print(out, ElencoCriteri(state, modo));
    }
    return ExitOk;
}

int runLookup(const QStringList& arguments) {
    return runVerb(QStringLiteral("lookup"), Usage, [&](QTextStream& out, QTextStream& err) -> int {
        const LookupOptions options = parseLookup(arguments);
        if (options.help) {
            out << Usage;
            return ExitOk;
        }
        static const QStringList lists = {QStringLiteral("subtypes"), QStringLiteral("criteria"),
                                          QStringLiteral("currencies"), QStringLiteral("profiles")};
        if (!lists.contains(options.what))
            throw UsageError(QStringLiteral("unknown list '%1'").arg(options.what).toStdString());
        return withSession(options.db, options.company, err,
                           [&](CompanySession& session) { return lookup(session, options, out); });
    });
}

[[maybe_unused]] const bool registered = [] {
    registerCommand({QStringLiteral("lookup"),
                     QStringLiteral("list subtypes, criteria, currencies or profiles"), runLookup});
    return true;
}();

} // namespace
} // namespace bdg::cli
