#pragma once

#include "data/variant.h"

#include <QString>

namespace bdg {

/// The text of a control's or a field's value, Null and Empty read as "".
inline QString testoCampo(const Variant& value) {
    return NVL(value, Variant(QString())).toString();
}

/// True for Null, Empty and a text of blanks only.
inline bool campoVuoto(const Variant& value) {
    return testoCampo(value).trimmed().isEmpty();
}

} // namespace bdg
