#pragma once

#include <QIcon>

namespace bdg::gui {

/// The program's picture: bars of a budget on a blue tile, drawn at every size a window
/// manager asks for (the installed desktop entry uses the same drawing as an SVG file).
QIcon iconaApplicazione();

} // namespace bdg::gui
