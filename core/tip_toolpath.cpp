#include "core/tip_toolpath.h"

#include <string>

#include "core/fields.h"
#include "core/geometry.h"
#include "core/number_text.h"

namespace vantorel {
namespace {

TextLine Comment(const char* text, double value, const char* unit) {
    return {text + FormatGeneral(value) + unit};
}

}  // namespace

Program TipToolpath::Opening() const {
    return {
        TextLine{"( Toolpath File " + std::string(kProducedBy) + " )"},
        Comment("( Left Edge of Picture at X = ", p_.LeftX, "mm )"),
        Comment("( Picture is wrapped around ", p_.WrapAngle, "degrees )"),
        Comment("( Z Value of worksurface ", p_.WorkSurface, "mm )"),
        Comment("( Feedrate = ", p_.Feedrate, "mm/min )"),
        Comment("( Max Depth of Cut = ", p_.DepthofCut, "mm )"),
        Comment("( Clearance Plane Z = ", p_.Clearance, "mm )"),
        TextLine{"( No tool diameter is assumed, use whatever ball nose cutter is suitable )"},
        TextLine{"( " + std::string(70, '-') + " )"},
        TextLine{"( Header )"},
        TextLine{p_.Header},
        TextLine{"(XY Plane, Metric, Absolute distance mode, mm/min feedrate)"},
        TextLine{"G17 G21 G90 G90.1 G94"},
        TextLine{"(Tool 0, Spindle 1000 rpm)"},
        TextLine{"T0 S1000"},
        TextLine{"(Move to retract plane)"},
        MoveTo(Motion::Rapid, 0, 0, p_.Clearance, 0, {Axis::Z}),
        TextLine{"(Move to start position)"},
        MoveTo(Motion::Rapid, 0, 0, p_.Clearance, 0, {Axis::X, Axis::Y, Axis::A},
               CoordinateForm::Whole),
        TextLine{"(Half speed feed for first line as it's being plunged)"},
        FeedLine{p_.Feedrate * 0.5},
    };
}

void TipToolpath::Pass(int row, std::span<Move> out) const {
    const int width = grid_.Width();
    const double a = row * p_.AngleStepDegrees;
    const bool forward = row % 2 == 0;
    for (int k = 0; k < width; ++k) {
        const int i = forward ? k : width - 1 - k;
        Move& move = out[static_cast<std::size_t>(k)];
        move.motion = Motion::Feed;
        move.x = ColumnX(p_, i);
        move.y = 0;
        move.z = p_.WorkSurface - grid_.At(i, row);
        move.a = a;
        move.words = {Axis::X, Axis::Z, Axis::A};
        // The first and the last move of a pass name A too.
        move.wordCount = k == 0 || k == width - 1 ? 3 : 2;
        move.form = CoordinateForm::Fixed4;
        move.inverseTimeFeed = 0;
    }
}

Program TipToolpath::Closing() const {
    return {
        TextLine{"( End )"},
        MoveTo(Motion::Rapid, 0, 0, p_.Clearance, 0, {Axis::Z}),
        MoveTo(Motion::Rapid, 0, 0, p_.Clearance, 0, {Axis::A, Axis::X}, CoordinateForm::Whole),
        TextLine{p_.Footer},
    };
}

}  // namespace vantorel
