#include "export/scrittore_csv.h"

#include "export/risultato.h"

#include <QStringList>

#include <QTextStream>
#include <algorithm>

namespace bdg {

QString cellaCsv(const QString& testo) {
    static const QString speciali = QStringLiteral(",\"\r\n");
    const bool quotare =
        std::any_of(testo.begin(), testo.end(), [](QChar c) { return speciali.contains(c); });
    if (!quotare)
        return testo;
    QString quotato = testo;
    quotato.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quotato + QLatin1Char('"');
}

namespace {

void scriviTabella(Recordset& rst, QTextStream& out) {
    QStringList intestazione;
    for (int campo = 0; campo < rst.fieldCount(); ++campo)
        intestazione << cellaCsv(rst.field(campo).name);
    out << intestazione.join(QLatin1Char(',')) << "\r\n";
    for (rst.MoveFirst(); !rst.Eof(); rst.MoveNext()) {
        QStringList riga;
        for (int campo = 0; campo < rst.fieldCount(); ++campo)
            riga << cellaCsv(testoEsatto(rst.field(campo), rst.value(campo)));
        out << riga.join(QLatin1Char(',')) << "\r\n";
    }
}

} // namespace

void ScrittoreCsv::write(Risultato& risultato, QTextStream& out) const {
    scriviTabella(risultato.criterio(), out);
    if (!m_periodi || !risultato.hasPeriodi())
        return;
    out << "\r\n";
    scriviTabella(risultato.periodi(), out);
}

} // namespace bdg
