#pragma once

#include "data/variant.h"

#include <QMetaType>

// Values travel in signals and item-model roles as themselves, exact, never as text or double.
Q_DECLARE_METATYPE(bdg::Variant)
