#pragma once

#include "data/variant.h"

#include <QString>

class QWidget;

namespace bdg {

/// The text of a grid value as a controller reads it: a number in the column's mask the
/// Italian way ("1.234.567,00", "-46,44%"), a text as it stands, nothing for Null.
QString testoCella(const Variant& value, const QString& maschera);

/// A length of the form's design (twips, 1440 to the inch) in pixels of `widget`'s screen.
int pixelDaTwips(int twips, const QWidget* widget);
/// The reverse, for sizes the user changed on screen.
int twipsDaPixel(int pixels, const QWidget* widget);

} // namespace bdg
