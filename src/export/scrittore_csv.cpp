#include "export/scrittore_csv.h"

#include "export/risultato.h"

#include <QTextStream>
#include <algorithm>

namespace bdg {
namespace {

bool daQuotare(QStringView testo) {
    return std::any_of(testo.begin(), testo.end(),
                       [](QChar c) { return c == u',' || c == u'"' || c == u'\r' || c == u'\n'; });
}

// The cell that `out` holds from `inizio`, quoted in place when it must be.
void quotaCella(QString& out, qsizetype inizio) {
    if (!daQuotare(QStringView(out).mid(inizio)))
        return;
    const QString cella = out.mid(inizio);
    out.truncate(inizio);
    out += cellaCsv(cella);
}

// Line by line as the rows are read: the table is never held as text.
void scriviTabella(Recordset& rst, QTextStream& stream) {
    TestoABlocchi blocchi(stream);
    QString& out = blocchi.testo();
    for (int campo = 0; campo < rst.fieldCount(); ++campo) {
        if (campo > 0)
            out += u',';
        out += cellaCsv(rst.field(campo).name);
    }
    out += QLatin1StringView("\r\n");
    for (rst.MoveFirst(); !rst.Eof(); rst.MoveNext()) {
        for (int campo = 0; campo < rst.fieldCount(); ++campo) {
            if (campo > 0)
                out += u',';
            const qsizetype inizio = out.size();
            aggiungiTestoEsatto(out, rst.field(campo), rst.value(campo));
            quotaCella(out, inizio);
        }
        out += QLatin1StringView("\r\n");
        blocchi.passaSePieno();
    }
    blocchi.passa();
}

} // namespace

QString cellaCsv(const QString& testo) {
    if (!daQuotare(testo))
        return testo;
    QString quotato = testo;
    quotato.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quotato + QLatin1Char('"');
}

void ScrittoreCsv::write(Risultato& risultato, QTextStream& out) const {
    scriviTabella(risultato.criterio(), out);
    if (!m_periodi || !risultato.hasPeriodi())
        return;
    out << "\r\n";
    scriviTabella(risultato.periodi(), out);
}

} // namespace bdg
