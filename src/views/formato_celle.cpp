#include "views/formato_celle.h"

#include "data/formato_numero.h"

#include <QHash>
#include <QWidget>

#include <cmath>

namespace bdg {

namespace {

constexpr double TwipsPerPollice = 1440.0;

// A mask is read once: the grids ask for it in every painted cell.
const FormatoNumero& formato(const QString& maschera) {
    static QHash<QString, FormatoNumero> formati;
    auto found = formati.constFind(maschera);
    if (found == formati.constEnd())
        found = formati.insert(maschera, FormatoNumero(maschera));
    return *found;
}

int dpi(const QWidget* widget) {
    return widget != nullptr ? widget->logicalDpiX() : 96;
}

} // namespace

QString testoCella(const Variant& value, const QString& maschera) {
    if (value.isNullOrEmpty())
        return QString();
    if (maschera.isEmpty() || !value.isNumeric())
        return value.toString();
    const std::optional<Decimal> numero = value.toDecimal();
    return numero ? formato(maschera).format(*numero) : value.toString();
}

int pixelDaTwips(int twips, const QWidget* widget) {
    return int(std::lround(twips * dpi(widget) / TwipsPerPollice));
}

int twipsDaPixel(int pixels, const QWidget* widget) {
    return int(std::lround(pixels * TwipsPerPollice / dpi(widget)));
}

} // namespace bdg
