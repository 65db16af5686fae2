// bdgintric profile: comparison lists stored under a name, as the form's profile field.
#include "app/cli/cli_options.h"
#include "app/cli/commands.h"
#include "app/cli/company_session.h"
#include "app/cli/verb_runner.h"
#include "compare/profili.h"
#include "compare/rst_confronto.h"
#include "data/sql_literal.h"

#include <QTextStream>

namespace bdg::cli {
namespace {

const char* const Usage =
    "Usage: bdgintric profile list [--db TARGET] [--company N]\n"
    "       bdgintric profile show NAME [--db TARGET] [--company N]\n"
    "       bdgintric profile save NAME --subtype CODE --set ... [--set ...]\n"
    "       bdgintric profile delete NAME [--db TARGET] [--company N]\n\n"
    "Comparison profiles are shared by every user of the company database. 'save' replaces\n"
    "a profile of the same name in one step (a failure keeps the old one) and leaves out\n"
    "sets whose site does not fit the subtype; a save that would store no set is refused.\n"
    "--set is written as for 'bdgintric run'. Names have at most 60 characters and no line\n"
    "breaks, tabs or other control characters; after '--' every word is taken as written,\n"
    "so that a name may begin with '--'.\n\n"
    "Exit status: 0 done, 2 usage error, refused parameter or unknown profile,\n"
    "4 database error.\n";

struct ProfileOptions {
    QString action;
    QString name;
    RunOptions shared;
    bool help = false;
};

ProfileOptions parseProfile(const QStringList& arguments) {
    ProfileOptions options;
    QStringList rest;
    QStringList words;
    bool optionsEnded = false;
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        const QString& argument = arguments.at(index);
        if (optionsEnded)
            words << argument;
        else if (argument == QLatin1String("--"))
            optionsEnded = true; // a name may start with "--" after this
        else if (argument == QLatin1String("--help") || argument == QLatin1String("-h"))
            options.help = true;
        else if (argument.startsWith(QLatin1String("--")))
            rest << argument << arguments.value(++index);
        else
            words << argument;
    }
    options.shared = parseRunOptions(rest);
    options.action = words.value(0);
    options.name = words.value(1);
    if (words.size() > 2)
        throw UsageError(QStringLiteral("'%1' is extra; quote a name with blanks")
                             .arg(words.at(2))
                             .toStdString());
    return options;
}

void printStored(Connection& connection, const QString& name, QTextStream& out) {
    RecordsetPtr rows = connection.Execute(
        QStringLiteral(" SELECT BU68_SEQUENZA, BU68_TIPO, BU68_ANNO, BU68_PROGESER, "
                       "BU68_CODICE_CG31, BU68_DELTA, BU68_DELTA_PERC "
                       " FROM BU68_BDGINTRIC WHERE BU68_NOME = %1 ORDER BY BU68_SEQUENZA ")
            .arg(sqlText(name)));
    if (rows->RecordCount() == 0)
        throw Refused(QStringLiteral("no stored profile '%1'").arg(name).toStdString());
    out << "sequence\ttype\tyear\tprogressive\tsite\tdelta\tperc\n";
    for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
        QStringList cells;
        for (int field = 0; field < rows->fieldCount(); ++field)
            cells << rows->value(field).toString();
        out << cells.join(QLatin1Char('\t')) << '\n';
    }
}

// As in the form: the subtype's field, the sets in the grid, the name, the save button.
void save(FRMBU_BDGINTRIC& form, const ProfileOptions& options) {
    form.TXT_SOTTOTIPO.type(Variant(options.shared.subtype));
    if (!form.TXT_SOTTOTIPO.leave())
        throw Refused(
            QStringLiteral("--subtype: %1").arg(form.ultimoRifiuto()->testo).toStdString());
    prepareComparisonList(form);
    for (const SetOption& set : options.shared.sets)
        appendSet(form, set);
    form.TXT_PROFILO.type(Variant(options.name));
    form.BUT_BU68_SALVA_ButtonClick();
    if (form.ultimoRifiuto())
        throw Refused(form.ultimoRifiuto()->testo.toStdString());
    if (!form.profiloSalvato())
        throw DatabaseError(
            QStringLiteral("profile '%1' was not saved").arg(options.name).toStdString());
}

void remove(FormState& state, const QString& name) {
    int deleted = 0;
    if (!DefinisciRstConfronto(state) ||
        !BUT_BU68_DELETE_ButtonClick(state, Variant(name), &deleted))
        throw DatabaseError(QStringLiteral("profile '%1' was not deleted").arg(name).toStdString());
    if (deleted == 0)
        throw Refused(QStringLiteral("no stored profile '%1'").arg(name).toStdString());
}

void checkAction(const ProfileOptions& options) {
    static const QStringList actions = {QStringLiteral("list"), QStringLiteral("show"),
                                        QStringLiteral("save"), QStringLiteral("delete")};
    if (!actions.contains(options.action))
        throw UsageError(QStringLiteral("unknown action '%1'").arg(options.action).toStdString());
    if (options.action != QLatin1String("list") && options.name.isEmpty())
        throw UsageError(
            QStringLiteral("profile %1 needs a NAME").arg(options.action).toStdString());
}

int profile(CompanySession& session, const ProfileOptions& options, QTextStream& out) {
    if (options.action == QLatin1String("list")) {
        for (const QString& nome : ElencoProfili(session.connection()))
            out << nome << '\n';
    } else if (options.action == QLatin1String("show")) {
        printStored(session.connection(), options.name, out);
    } else if (options.action == QLatin1String("save")) {
        save(session.form(), options);
    } else {
        remove(session.state(), options.name);
    }
    return ExitOk;
}

int runProfile(const QStringList& arguments) {
    return runVerb(QStringLiteral("profile"), Usage,
                   [&](QTextStream& out, QTextStream& err) -> int {
                       const ProfileOptions options = parseProfile(arguments);
                       if (options.help) {
                           out << Usage;
                           return ExitOk;
                       }
                       checkAction(options);
                       return withSession(
                           options.shared.db, options.shared.company, err,
                           [&](CompanySession& session) { return profile(session, options, out); });
                   });
}

[[maybe_unused]] const bool registered = [] {
    registerCommand({QStringLiteral("profile"),
                     QStringLiteral("list, show, save or delete comparison profiles"), runProfile});
    return true;
}();

} // namespace
} // namespace bdg::cli
