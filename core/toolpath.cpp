#include "core/toolpath.h"

namespace vantorel {

Move MoveTo(Motion motion, double x, double y, double z, double a,
            std::initializer_list<Axis> axes, CoordinateForm form) {
    Move move;
    move.motion = motion;
    move.x = x;
    move.y = y;
    move.z = z;
    move.a = a;
    move.form = form;
    for (Axis axis : axes) move.words[move.wordCount++] = axis;
    return move;
}

}  // namespace vantorel
