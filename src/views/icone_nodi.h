#pragma once

#include <QIcon>

namespace bdg {

/// The pictures of the node image list, one per node kind (TIPOVOCE 0 analytic value,
/// 1 analytic total, 2 intermediate total, 3 formula, 4 criterion, 5 account), drawn
/// rather than loaded so that they need no image plug-in and stay sharp at any size.
class IconeNodi {
public:
    /// The picture of a node kind; an empty icon for a kind outside 0 to 5.
    static QIcon icona(int tipoVoce);
};

} // namespace bdg
