#include "export/scrittore_json.h"

#include "export/risultato.h"

#include <QTextStream>

namespace bdg {
namespace {

// A JSON string: quotes, backslashes and control characters escaped, everything else as it
// is (the stream writes UTF-8).
void scriviTesto(QString& out, QStringView testo) {
    out += u'"';
    qsizetype inizio = 0;
    for (qsizetype at = 0; at < testo.size(); ++at) {
        const char16_t c = testo[at].unicode();
        if (c >= 0x20 && c != u'"' && c != u'\\')
            continue;
        out += testo.mid(inizio, at - inizio);
        inizio = at + 1;
        switch (c) {
        case u'"':
            out += QLatin1StringView("\\\"");
            break;
        case u'\\':
            out += QLatin1StringView("\\\\");
            break;
        case u'\n':
            out += QLatin1StringView("\\n");
            break;
        case u'\r':
            out += QLatin1StringView("\\r");
            break;
        case u'\t':
            out += QLatin1StringView("\\t");
            break;
        default:
            out += QStringLiteral("\\u%1").arg(int(c), 4, 16, QLatin1Char('0'));
        }
    }
    out += testo.mid(inizio);
    out += u'"';
}

void scriviValore(QString& out, const FieldDef& field, const Variant& value, QString& appoggio) {
    if (value.isNullOrEmpty()) {
        out += QLatin1StringView("null");
        return;
    }
    if (field.type == FieldType::Integer || field.type == FieldType::BigInt) {
        if (const auto numero = value.toInt64()) {
            Decimal(*numero).appendTo(out);
            return;
        }
    }
    if (field.type == FieldType::Boolean) {
        out += QLatin1StringView(value.toBool().value_or(false) ? "true" : "false");
        return;
    }
    if (field.type == FieldType::Decimal) {
        // Digits, a sign and a point never need escaping.
        if (const auto numero = value.toDecimal()) {
            out += u'"';
            numero->rescaled(field.scale).appendTo(out);
            out += u'"';
            return;
        }
    }
    appoggio.resize(0);
    aggiungiTestoEsatto(appoggio, field, value);
    scriviTesto(out, appoggio);
}

// The key of a member and its colon.
void scriviChiave(QString& out, QStringView nome) {
    scriviTesto(out, nome);
    out += QLatin1StringView(": ");
}

// One row an object on a line of its own; the rows follow the table's sort.
void scriviRighe(TestoABlocchi& blocchi, Recordset& rst) {
    QString& out = blocchi.testo();
    // What comes before each value, escaped once for the whole table.
    QList<QString> prima;
    for (int campo = 0; campo < rst.fieldCount(); ++campo) {
        QString testo = campo > 0 ? QStringLiteral(", ") : QStringLiteral("{");
        scriviChiave(testo, rst.field(campo).name);
        prima.append(testo);
    }
    QString appoggio;
    out += u'[';
    QLatin1StringView separatore("\n        ");
    for (rst.MoveFirst(); !rst.Eof(); rst.MoveNext()) {
        out += separatore;
        for (int campo = 0; campo < rst.fieldCount(); ++campo) {
            out += prima[campo];
            scriviValore(out, rst.field(campo), rst.value(campo), appoggio);
        }
        out += u'}';
        separatore = QLatin1StringView(",\n        ");
        blocchi.passaSePieno();
    }
    out += QLatin1StringView("\n    ]");
}

void scriviParametri(QString& out, const Risultato& risultato) {
    out += u'{';
    QLatin1StringView separatore("");
    for (const auto& [nome, testo] : risultato.parametri()) {
        out += separatore;
        scriviChiave(out, nome);
        scriviTesto(out, testo);
        separatore = QLatin1StringView(", ");
    }
    out += u'}';
}

// One object per comparison set: its rank and the captions of its columns.
void scriviDidascalie(QString& out, const Risultato& risultato) {
    out += u'[';
    bool aperto = false;
    for (const ColonnaRisultato& colonna : risultato.colonne()) {
        if (colonna.tipo == ColonnaRisultato::Tipo::Importo) {
            out += QLatin1StringView(aperto ? "}, {" : "{");
            out += QLatin1StringView("\"insieme\": ");
            out += QString::number(colonna.insieme);
            aperto = true;
        }
        out += QLatin1StringView(", ");
        scriviChiave(out, colonna.campo);
        scriviTesto(out, colonna.didascalia);
    }
    out += QLatin1StringView(aperto ? "}]" : "]");
}

} // namespace

void ScrittoreJson::write(Risultato& risultato, QTextStream& stream) const {
    TestoABlocchi blocchi(stream);
    QString& out = blocchi.testo();
    out += QLatin1StringView("{\n    \"parametri\": ");
    scriviParametri(out, risultato);
    out += QLatin1StringView(",\n    \"didascalie\": ");
    scriviDidascalie(out, risultato);
    out += QLatin1StringView(",\n    \"formato_importi\": ");
    scriviTesto(out, risultato.formatoImporti());
    out += QLatin1StringView(",\n    \"formato_percentuali\": ");
    scriviTesto(out, risultato.formatoPercentuali());
    out += QLatin1StringView(",\n    \"criterio\": ");
    scriviRighe(blocchi, risultato.criterio());
    if (m_periodi && risultato.hasPeriodi()) {
        out += QLatin1StringView(",\n    \"periodi\": ");
        scriviRighe(blocchi, risultato.periodi());
    }
    out += QLatin1StringView("\n}\n");
    blocchi.passa();
}

} // namespace bdg
