#pragma once

#include <Qt>

class QWidget;

namespace kelvo {

// Keeps a control's distances to the anchored edges of its parent while the parent is resized:
// anchored to both left and right, the control stretches;
// to the right alone, it moves with the right edge (likewise top and bottom). The distances are
// taken from the geometries that control and parent have now.
void anchor(QWidget *control, Qt::Edges edges);

} // namespace kelvo
