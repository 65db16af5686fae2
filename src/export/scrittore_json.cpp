#include "export/scrittore_json.h"

#include "export/risultato.h"

#include <QTextStream>

namespace bdg {
namespace {

// A JSON string: quotes, backslashes and control characters escaped, everything else as it
// is (the stream writes UTF-8).
void scriviTesto(QTextStream& out, QStringView testo) {
    out << '"';
    qsizetype inizio = 0;
    for (qsizetype at = 0; at < testo.size(); ++at) {
        const char16_t c = testo[at].unicode();
        if (c >= 0x20 && c != u'"' && c != u'\\')
            continue;
        out << testo.mid(inizio, at - inizio);
        inizio = at + 1;
        switch (c) {
        case u'"':
            out << "\\\"";
            break;
        case u'\\':
            out << "\\\\";
            break;
        case u'\n':
            out << "\\n";
            break;
        case u'\r':
            out << "\\r";
            break;
        case u'\t':
            out << "\\t";
            break;
        default:
            out << QStringLiteral("\\u%1").arg(int(c), 4, 16, QLatin1Char('0'));
        }
    }
    out << testo.mid(inizio) << '"';
}

void scriviValore(QTextStream& out, const FieldDef& field, const Variant& value) {
    if (value.isNullOrEmpty()) {
        out << "null";
        return;
    }
    if (field.type == FieldType::Integer || field.type == FieldType::BigInt) {
        if (const auto numero = value.toInt64()) {
            out << qint64(*numero);
            return;
        }
    }
    if (field.type == FieldType::Boolean) {
        out << (value.toBool().value_or(false) ? "true" : "false");
        return;
    }
    scriviTesto(out, testoEsatto(field, value));
}

// The key of a member and its colon.
void scriviChiave(QTextStream& out, QStringView nome) {
    scriviTesto(out, nome);
    out << ": ";
}

// One row an object on a line of its own; the rows follow the table's sort.
void scriviRighe(QTextStream& out, Recordset& rst) {
    out << '[';
    const char* separatore = "\n        ";
    for (rst.MoveFirst(); !rst.Eof(); rst.MoveNext()) {
        out << separatore << '{';
        for (int campo = 0; campo < rst.fieldCount(); ++campo) {
            if (campo > 0)
                out << ", ";
            const FieldDef& field = rst.field(campo);
            scriviChiave(out, field.name);
            scriviValore(out, field, rst.value(campo));
        }
        out << '}';
        separatore = ",\n        ";
    }
    out << "\n    ]";
}

void scriviParametri(QTextStream& out, const Risultato& risultato) {
    out << '{';
    const char* separatore = "";
    for (const auto& [nome, testo] : risultato.parametri()) {
        out << separatore;
        scriviChiave(out, nome);
        scriviTesto(out, testo);
        separatore = ", ";
    }
    out << '}';
}

// One object per comparison set: its rank and the captions of its columns.
void scriviDidascalie(QTextStream& out, const Risultato& risultato) {
    out << '[';
    bool aperto = false;
    for (const ColonnaRisultato& colonna : risultato.colonne()) {
        if (colonna.tipo == ColonnaRisultato::Tipo::Importo) {
            out << (aperto ? "}, {" : "{") << "\"insieme\": " << colonna.insieme;
            aperto = true;
        }
        out << ", ";
        scriviChiave(out, colonna.campo);
        scriviTesto(out, colonna.didascalia);
    }
    out << (aperto ? "}]" : "]");
}

} // namespace

void ScrittoreJson::write(Risultato& risultato, QTextStream& out) const {
    out << "{\n    \"parametri\": ";
    scriviParametri(out, risultato);
    out << ",\n    \"didascalie\": ";
    scriviDidascalie(out, risultato);
    out << ",\n    \"formato_importi\": ";
    scriviTesto(out, risultato.formatoImporti());
    out << ",\n    \"formato_percentuali\": ";
    scriviTesto(out, risultato.formatoPercentuali());
    out << ",\n    \"criterio\": ";
    scriviRighe(out, risultato.criterio());
    if (m_periodi && risultato.hasPeriodi()) {
        out << ",\n    \"periodi\": ";
        scriviRighe(out, risultato.periodi());
    }
    out << "\n}\n";
}

} // namespace bdg
