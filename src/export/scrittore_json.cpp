#include "export/scrittore_json.h"

#include "export/risultato.h"

#include <QJsonArray>
#include <QJsonObject>

namespace bdg {
namespace {

QJsonValue valore(const FieldDef& field, const Variant& value) {
    if (value.isNullOrEmpty())
        return QJsonValue(QJsonValue::Null);
    if (field.type == FieldType::Integer || field.type == FieldType::BigInt) {
        const auto numero = value.toInt64();
        if (numero)
            return QJsonValue(qint64(*numero));
    }
    if (field.type == FieldType::Boolean)
        return QJsonValue(value.toBool().value_or(false));
    return QJsonValue(testoEsatto(field, value));
}

QJsonArray righe(Recordset& rst) {
    QJsonArray array;
    for (rst.MoveFirst(); !rst.Eof(); rst.MoveNext()) {
        QJsonObject riga;
        for (int campo = 0; campo < rst.fieldCount(); ++campo)
            riga.insert(rst.field(campo).name, valore(rst.field(campo), rst.value(campo)));
        array.append(riga);
    }
    return array;
}

QJsonArray didascalie(const Risultato& risultato) {
    QJsonArray array;
    QJsonObject insieme;
    for (const ColonnaRisultato& colonna : risultato.colonne()) {
        if (colonna.tipo == ColonnaRisultato::Tipo::Importo) {
            if (!insieme.isEmpty())
                array.append(insieme);
            insieme = QJsonObject{{QStringLiteral("insieme"), colonna.insieme}};
        }
        insieme.insert(colonna.campo, colonna.didascalia);
    }
    if (!insieme.isEmpty())
        array.append(insieme);
    return array;
}

} // namespace

QJsonDocument ScrittoreJson::document(Risultato& risultato) const {
    QJsonObject parametri;
    for (const auto& [nome, testo] : risultato.parametri())
        parametri.insert(nome, testo);
    QJsonObject radice{{QStringLiteral("parametri"), parametri},
                       {QStringLiteral("didascalie"), didascalie(risultato)},
                       {QStringLiteral("formato_importi"), risultato.formatoImporti()},
                       {QStringLiteral("formato_percentuali"), risultato.formatoPercentuali()},
                       {QStringLiteral("criterio"), righe(risultato.criterio())}};
    if (m_periodi && risultato.hasPeriodi())
        radice.insert(QStringLiteral("periodi"), righe(risultato.periodi()));
    return QJsonDocument(radice);
}

} // namespace bdg
