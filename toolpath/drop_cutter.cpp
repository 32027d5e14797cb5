#include "toolpath/drop_cutter.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/wrap_parameters.h"

namespace vantorel {
namespace {

constexpr double kTwoPi = 2 * kPi;

int FloorDiv(double value, double step) { return static_cast<int>(std::floor(value / step)); }

int Modulo(int value, int period) {
    const int m = value % period;
    return m < 0 ? m + period : m;
}

}  // namespace

DropCutter::DropCutter(const ReliefSurface& surface, const Tool& tool)
    : surface_(surface), cutter_(tool), window_(kPi), chordCos_(0) {
    const double halfStep = surface.AngleStep() / 2;
    chordCos_ = halfStep < kPi / 2 ? std::cos(halfStep) : 0;
    // Over the picture the tip is never lower than the nearest point straight below it; a
    // point that far round, and still within the tool's radius sideways, is lower still.
    const double lowest = surface.MinRadius() * chordCos_;
    if (lowest > 0) window_ = std::atan(cutter_.radius / lowest);
}

double DropCutter::StockHeight(double x, double a) const {
    const ReliefSurface& s = surface_;
    const double ws = s.WorkSurface();
    double best = kNoContact;
    // Beyond either end of the picture the stock is whole all round: its nearest line is
    // straight below the tool.
    const double before = std::max(0.0, x - s.LeftX());
    const double after = std::max(0.0, s.RightX() - x);
    for (double du : {before, after})
        if (du <= cutter_.radius) best = std::max(best, ws - cutter_.Profile(du));
    if (s.FullTurn()) return best;
    // Outside the wrap sector: the nearest angle of the sector [wrap, 2 pi] to A, then the
    // nearest X over the picture; the clearance falls away from both.
    a = std::fmod(a, kTwoPi);
    if (a < 0) a += kTwoPi;
    double phi = 0;
    if (a < s.WrapAngle()) phi = std::min(s.WrapAngle() - a, a);
    if (phi >= kPi / 2) return best;
    const double du = std::max({0.0, s.LeftX() - x, x - s.RightX()});
    const double dv = ws * std::sin(phi);
    const double d2 = du * du + dv * dv;
    if (d2 <= cutter_.radius2)
        best = std::max(best, ws * std::cos(phi) - cutter_.Profile(std::sqrt(d2)));
    return best;
}

double DropCutter::Height(double x, double a) const {
    const ReliefSurface& s = surface_;
    const Cutter& cut = cutter_;
    const double r = cut.radius;
    double z = s.StockBorder() ? StockHeight(x, a) : kNoContact;

    const int lastCellColumn = s.Columns() - 2;
    const double dx = s.XStep();
    const int cLo = std::max(0, FloorDiv(x - r - s.LeftX(), dx));
    const int cHi = std::min(lastCellColumn, FloorDiv(x + r - s.LeftX(), dx));
    if (cLo > cHi) return z;

    const int rows = s.PictureRows();
    const double step = s.AngleStep();
    // A as the angle nearest the picture's sector, in the rows' own turn.
    a = std::fmod(a, kTwoPi);
    if (a < 0) a += kTwoPi;
    if (!s.FullTurn() && a > (s.WrapAngle() + kTwoPi) / 2) a -= kTwoPi;
    int rLo = FloorDiv(a - window_, step);
    int rHi = FloorDiv(a + window_, step);
    if (s.FullTurn()) {
        if (rHi - rLo + 1 > rows) {
            rLo = FloorDiv(a, step) - rows / 2;
            rHi = rLo + rows - 1;
        }
    } else {
        rLo = std::max(rLo, 0);
        rHi = std::min(rHi, rows - 1);
        if (rLo > rHi) return z;
    }

    // cos and sin of each vertex row's angle from A, for the rows in the window, and the
    // window's row blocks with the bounds of their angles from A, nearest A first (the
    // height found there prunes the rest). They depend on A alone: a pass at fixed A works
    // them out once.
    struct Band {
        int first, last, block;
        double cosine, sine;  // of the angle nearest A
    };
    thread_local std::vector<double> turnCos, turnSin;
    thread_local std::vector<Band> bands;
    thread_local std::uint64_t turnSurface = 0;
    thread_local double turnA = 0;
    if (turnSurface != s.Serial() || turnA != a) [[unlikely]] {
        turnSurface = s.Serial();
        turnA = a;
        const std::size_t span = static_cast<std::size_t>(rHi - rLo + 2);
        if (turnCos.size() < span) turnCos.resize(span), turnSin.resize(span);
        const double ca = std::cos(a), sa = std::sin(a);
        for (int k = rLo; k <= rHi + 1; ++k) {
            const int g = s.FullTurn() ? Modulo(k, rows) : k;
            const std::size_t at = static_cast<std::size_t>(k - rLo);
            turnCos[at] = s.RowCos(g) * ca + s.RowSin(g) * sa;
            turnSin[at] = s.RowSin(g) * ca - s.RowCos(g) * sa;
        }
        bands.clear();
        for (int k = rLo; k <= rHi;) {
            const int g = s.FullTurn() ? Modulo(k, rows) : k;
            const int block = g / ReliefSurface::kBlockRows;
            const int blockEnd = std::min((block + 1) * ReliefSurface::kBlockRows, rows);
            const int last = std::min(rHi, k + (blockEnd - g) - 1);
            const double phi = std::clamp(0.0, k * step - a, (last + 1) * step - a);
            if (std::abs(phi) < kPi / 2)
                bands.push_back({k, last, block, std::cos(phi), std::abs(std::sin(phi))});
            k = last + 1;
        }
        std::sort(bands.begin(), bands.end(),
                  [](const Band& p, const Band& q) { return p.cosine > q.cosine; });
    }

    // The cell that gave the height of this thread's last position.
    thread_local int hintColumn = -1, hintRow = 0;
    auto cell = [&](int c, int j, double u0, double u1, double du2) {
        const int gj = s.FullTurn() ? Modulo(j, rows) : j;
        const std::size_t t0 = static_cast<std::size_t>(j - rLo);
        const double c0 = turnCos[t0], s0 = turnSin[t0];
        const double c1 = turnCos[t0 + 1], s1 = turnSin[t0 + 1];
        const double r00 = s.Radius(c, gj), r10 = s.Radius(c + 1, gj);
        const double r01 = s.Radius(c, gj + 1), r11 = s.Radius(c + 1, gj + 1);
        const LocalPoint p0{u0, r00 * s0, r00 * c0};
        const LocalPoint p1{u1, r10 * s0, r10 * c0};
        const LocalPoint p2{u1, r11 * s1, r11 * c1};
        const LocalPoint p3{u0, r01 * s1, r01 * c1};
        const double hTop = std::max({p0.h, p1.h, p2.h, p3.h});
        const double vLo = std::min({p0.v, p1.v, p2.v, p3.v});
        const double vHi = std::max({p0.v, p1.v, p2.v, p3.v});
        const double dv = std::max({0.0, vLo, -vHi});
        if (du2 + dv * dv > cut.ReachWithin2(hTop - z)) return;
        // The same bound for each triangle and edge of the cell before its exact test.
        auto within = [&](double top, double uLo, double uHi, double lo, double hi) {
            const double du = std::max({0.0, uLo, -uHi});
            const double dv = std::max({0.0, lo, -hi});
            return du * du + dv * dv <= cut.ReachWithin2(top - z);
        };
        auto keep = [&](double contact) {
            if (contact > z) z = contact, hintColumn = c, hintRow = gj;
        };
        if (within(std::max({p0.h, p1.h, p2.h}), u0, u1, std::min({p0.v, p1.v, p2.v}),
                   std::max({p0.v, p1.v, p2.v})))
            keep(FacetContact(cut, p0, p2, p1));
        if (within(std::max({p0.h, p2.h, p3.h}), u0, u1, std::min({p0.v, p2.v, p3.v}),
                   std::max({p0.v, p2.v, p3.v})))
            keep(FacetContact(cut, p0, p3, p2));
        auto edge = [&](const LocalPoint& p, const LocalPoint& q) {
            if (within(std::max(p.h, q.h), std::min(p.u, q.u), std::max(p.u, q.u),
                       std::min(p.v, q.v), std::max(p.v, q.v)))
                keep(EdgeContact(cut, p, q));
        };
        edge(p0, p1);
        edge(p0, p3);
        edge(p0, p2);
        if (c == lastCellColumn) edge(p1, p2);
        if (!s.FullTurn() && gj == rows - 1) edge(p3, p2);
    };
    auto cellColumn = [&](int c) {
        const double u0 = s.X(c) - x;
        const double u1 = s.X(c + 1) - x;
        const double du = std::max({0.0, u0, -u1});
        const double du2 = du * du;
        if (du2 > cut.radius2) return;
        for (const Band& band : bands) {
            const double hMost = s.BlockMaxRadius(c, band.block) * band.cosine;
            const double vLeast =
                std::max(0.0, s.BlockMinRadius(c, band.block) * chordCos_) * band.sine;
            if (du2 + vLeast * vLeast > cut.ReachWithin2(hMost - z)) continue;
            for (int j = band.first; j <= band.last; ++j) cell(c, j, u0, u1, du2);
        }
    };
    // The cell that touched last time first (the positions of a pass come in order, so
    // it is usually the one that touches again), then the cell straight below the tool,
    // then the nearest columns.
    auto first = [&](int c, int j) {
        const double u0 = s.X(c) - x, u1 = s.X(c + 1) - x;
        const double du = std::max({0.0, u0, -u1});
        if (c >= cLo && c <= cHi && j >= rLo && j <= rHi) cell(c, j, u0, u1, du * du);
    };
    if (hintColumn >= 0 && hintRow < rows) {
        int j = hintRow;
        if (s.FullTurn()) j = rLo + Modulo(hintRow - rLo, rows);
        first(hintColumn, j);
    }
    const int centre = std::clamp(FloorDiv(x - s.LeftX(), dx), cLo, cHi);
    first(centre, std::clamp(FloorDiv(a, step), rLo, rHi));
    cellColumn(centre);
    for (int k = 1; centre - k >= cLo || centre + k <= cHi; ++k) {
        if (centre - k >= cLo) cellColumn(centre - k);
        if (centre + k <= cHi) cellColumn(centre + k);
    }
    return z;
}

}  // namespace vantorel
