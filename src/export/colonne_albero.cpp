#include "export/colonne_albero.h"

#include "form/tree_grid_model.h"

#include <algorithm>

namespace bdg {
namespace {

const QString CampoVoce = QStringLiteral("VOCE");
const QString SeparatoreVoce = QStringLiteral(" * ");
constexpr int DecimaliPercentuale = 2;
// Integer digits of an exported amount, whatever its decimals.
constexpr int CifreIntere = 14;

} // namespace

bool isCampoPercentuale(const QString& campo) {
    return campo.startsWith(QStringLiteral("DELTA_PERC"), Qt::CaseInsensitive);
}

Variant percentualeEsportata(const Variant& rapporto) {
    if (rapporto.isNullOrEmpty())
        return Variant::null();
    const auto numero = rapporto.toDecimal();
    if (!numero)
        throw DecimalError("percentage '" + rapporto.toString().toStdString() +
                           "' is not a number");
    return Variant((*numero * Decimal(100)).round(DecimaliPercentuale));
}

bool DefinisciCampoColonna(Recordset& rst, const GridColumn& colonna, int scala, int lunghezza) {
    if (colonna.kind == TipoColonnaAlbero::Numero) {
        rst.appendField(colonna.field, FieldType::Decimal);
        rst.setPrecision(rst.fieldCount() - 1, CifreIntere + std::max(scala, 2));
        rst.setNumericScale(rst.fieldCount() - 1, scala);
        return true;
    }
    if (colonna.kind == TipoColonnaAlbero::Testo) {
        rst.appendField(colonna.field, FieldType::VarWChar,
                        std::max({colonna.width / TwipsPerCarattere, lunghezza, 1}));
        return true;
    }
    return false;
}

int lunghezzaTesto(const TreeGridModel& albero, int colonna, int perLivello) {
    const bool voce =
        albero.columns().at(colonna).field.compare(CampoVoce, Qt::CaseInsensitive) == 0;
    qsizetype massima = 0;
    for (int nodo = albero.firstNode(); nodo >= 0; nodo = albero.nextNode(nodo)) {
        qsizetype lunghezza = albero.cellValue(nodo, colonna).toString().size();
        if (voce)
            lunghezza += qsizetype(perLivello) * albero.nodeLevel(nodo) + SeparatoreVoce.size();
        massima = std::max(massima, lunghezza);
    }
    return int(massima);
}

QString voceRientrata(const Variant& voce, int livello, QChar rientro, int perLivello) {
    // Codes of fixed-length columns come with the database's trailing blanks.
    QString codice = voce.isNullOrEmpty() ? QString() : voce.toString();
    while (codice.endsWith(QLatin1Char(' ')))
        codice.chop(1);
    return QString(std::max(livello, 0) * perLivello, rientro) + SeparatoreVoce + codice;
}

} // namespace bdg
