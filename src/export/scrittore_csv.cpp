#include "export/scrittore_csv.h"

#include "export/risultato.h"

#include <QTextStream>
#include <algorithm>

namespace bdg {
namespace {

bool daQuotare(const QString& testo) {
    return std::any_of(testo.begin(), testo.end(),
                       [](QChar c) { return c == u',' || c == u'"' || c == u'\r' || c == u'\n'; });
}

// A plain cell goes to the stream as it is, without a copy.
void scriviCella(QTextStream& out, const QString& testo) {
    if (daQuotare(testo))
        out << cellaCsv(testo);
    else
        out << testo;
}

// Line by line as the rows are read: the table is never held as text.
void scriviTabella(Recordset& rst, QTextStream& out) {
    for (int campo = 0; campo < rst.fieldCount(); ++campo) {
        if (campo > 0)
            out << ',';
        scriviCella(out, rst.field(campo).name);
    }
    out << "\r\n";
    for (rst.MoveFirst(); !rst.Eof(); rst.MoveNext()) {
        for (int campo = 0; campo < rst.fieldCount(); ++campo) {
            if (campo > 0)
                out << ',';
            scriviCella(out, testoEsatto(rst.field(campo), rst.value(campo)));
        }
        out << "\r\n";
    }
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
