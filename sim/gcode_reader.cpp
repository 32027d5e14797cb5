#include "sim/gcode_reader.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace vantorel {
namespace {

constexpr double kMillimetresPerInch = 25.4;

struct Word {
    char letter;
    double value;
};

// G codes (tenths, so G61.1 is 611) that change nothing a straight-move simulation sees:
// plane selection, cutter and length compensation off, work systems (all at zero here),
// path blending, canned cycle off, arc distance mode, canned return level.
bool PassedOverG(int tenths) {
    switch (tenths) {
        case 170:
        case 171:
        case 180:
        case 181:
        case 190:
        case 191:
        case 400:
        case 490:
        case 540:
        case 550:
        case 560:
        case 570:
        case 580:
        case 590:
        case 591:
        case 592:
        case 593:
        case 610:
        case 611:
        case 640:
        case 800:
        case 901:
        case 911:
        case 980:
        case 990:
            return true;
        default:
            return false;
    }
}

// M codes passed over: stops, spindle, tool change, coolant, overrides.
bool PassedOverM(int code) {
    switch (code) {
        case 0:
        case 1:
        case 3:
        case 4:
        case 5:
        case 6:
        case 7:
        case 8:
        case 9:
        case 48:
        case 49:
        case 60:
            return true;
        default:
            return false;
    }
}

std::string CodeText(char letter, double value) {
    const double tenths = std::round(value * 10);
    std::string text(1, letter);
    text += std::to_string(static_cast<long>(tenths / 10));
    if (static_cast<long>(tenths) % 10 != 0)
        text += "." + std::to_string(static_cast<long>(tenths) % 10);
    return text;
}

}  // namespace

GcodeReader::GcodeReader(std::istream& in, double rapidRate) : in_(in), rapidRate_(rapidRate) {}

bool GcodeReader::Fail(std::string message) {
    problem_ = ReadProblem{lineNumber_, std::move(message)};
    return false;
}

bool GcodeReader::Next(StraightMove& move) {
    if (problem_ || ended_) return false;
    while (std::getline(in_, line_)) {
        ++lineNumber_;
        bool moved = false;
        if (!ReadLine(line_, move, moved)) return false;
        if (moved) return true;
        if (ended_) return false;
    }
    return false;
}

bool GcodeReader::ReadLine(const std::string& text, StraightMove& move, bool& moved) {
    // The words with comments and blanks taken out; letters in upper case.
    std::string words;
    words.reserve(text.size());
    for (std::size_t k = 0; k < text.size(); ++k) {
        const char c = text[k];
        if (c == ';') break;
        if (c == '(') {
            const std::size_t close = text.find(')', k);
            if (close == std::string::npos) return Fail("a comment \"(\" is never closed");
            k = close;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\r') continue;
        words += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (words.empty() || words == "%") return true;
    if (words[0] == '/') return Fail("block delete (\"/\") is not simulated");

    std::vector<Word> list;
    for (std::size_t k = 0; k < words.size();) {
        const char letter = words[k++];
        if (letter < 'A' || letter > 'Z') {
            return Fail("this is not G-code: \"" + text.substr(0, 40) + "\"");
        }
        if (letter == 'O') return Fail("subroutines (O words) are not simulated");
        if (k < words.size() && (words[k] == '#' || words[k] == '['))
            return Fail("parameters and expressions are not simulated");
        const std::size_t start = k;
        if (k < words.size() && (words[k] == '+' || words[k] == '-')) ++k;
        std::size_t digits = 0;
        while (k < words.size() && std::isdigit(static_cast<unsigned char>(words[k])))
            ++k, ++digits;
        if (k < words.size() && words[k] == '.') {
            ++k;
            while (k < words.size() && std::isdigit(static_cast<unsigned char>(words[k])))
                ++k, ++digits;
        }
        if (digits == 0) return Fail("this is not G-code: \"" + text.substr(0, 40) + "\"");
        list.push_back({letter, std::strtod(words.substr(start, k - start).c_str(), nullptr)});
    }

    std::optional<double> axis[4];  // X Y Z A
    std::optional<double> feed;
    std::optional<int> motion;
    bool end = false;
    for (const Word& w : list) {
        switch (w.letter) {
            case 'G': {
                const int tenths = static_cast<int>(std::lround(w.value * 10));
                if (tenths == 0 || tenths == 10) {
                    motion = tenths / 10;
                } else if (tenths == 200 || tenths == 210) {
                    inches_ = tenths == 200;
                    if (!moved_) unitsStated_ = true;
                } else if (tenths == 900 || tenths == 910) {
                    incremental_ = tenths == 910;
                } else if (tenths == 930 || tenths == 940) {
                    inverseTime_ = tenths == 930;
                } else if (tenths == 20 || tenths == 30) {
                    return Fail("arcs (" + CodeText('G', w.value) +
                                ") are not simulated; write them as straight moves");
                } else if (tenths == 40) {
                    // dwell: the P word is its time
                } else if (!PassedOverG(tenths)) {
                    return Fail(CodeText('G', w.value) + " cannot be simulated safely");
                }
                break;
            }
            case 'M': {
                const int code = static_cast<int>(std::lround(w.value));
                if (code == 2 || code == 30)
                    end = true;
                else if (!PassedOverM(code) || code != w.value)
                    return Fail(CodeText('M', w.value) + " cannot be simulated safely");
                break;
            }
            case 'X':
            case 'Y':
            case 'Z':
            case 'A': {
                const int k = w.letter == 'A' ? 3 : w.letter - 'X';
                if (axis[k]) return Fail(std::string("two ") + w.letter + " words on one line");
                axis[k] = w.value;
                break;
            }
            case 'F':
                feed = w.value;
                break;
            case 'N':
            case 'S':
            case 'T':
            case 'P':
            case 'Q':
            case 'H':
            case 'D':
                break;
            case 'I':
            case 'J':
            case 'K':
            case 'R':
                return Fail(std::string("the arc word ") + w.letter + " is not simulated");
            case 'B':
            case 'C':
            case 'U':
            case 'V':
            case 'W':
                return Fail(std::string("the ") + w.letter +
                            " axis is not simulated (only X, Y, Z and A)");
            default:
                return Fail(std::string("the word ") + w.letter + " cannot be simulated safely");
        }
    }

    if (feed) {
        if (!(*feed >= 0)) return Fail("a feed rate below 0");
        if (!inverseTime_) feed_ = *feed * (inches_ ? kMillimetresPerInch : 1);
    }
    if (motion) motion_ = *motion;
    const bool named = axis[0] || axis[1] || axis[2] || axis[3];
    if (named) {
        if (motion_ < 0) return Fail("axis words before any G0 or G1");
        MachinePosition to = position_;
        double* target[4] = {&to.x, &to.y, &to.z, &to.a};
        for (int k = 0; k < 4; ++k) {
            if (!axis[k]) continue;
            const double value = *axis[k] * (k < 3 && inches_ ? kMillimetresPerInch : 1);
            *target[k] = incremental_ ? *target[k] + value : value;
        }
        move.rapid = motion_ == 0;
        move.from = position_;
        move.to = to;
        move.line = lineNumber_;
        move.fromKnown = zNamed_;
        if (axis[2]) zNamed_ = true;
        move.toKnown = zNamed_;
        const double dx = to.x - position_.x, dy = to.y - position_.y, dz = to.z - position_.z;
        const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
        const double turn = std::fabs(to.a - position_.a);
        // As the controller times it: the X/Y/Z distance, or the degrees of a move that only
        // turns A; in inverse time each feed move takes 1/F minutes.
        const double distance = length > 0 ? length : turn;
        if (move.rapid) {
            move.minutes = distance / rapidRate_;
        } else if (inverseTime_) {
            if (!feed || *feed <= 0)
                return Fail("in inverse time (G93) every G1 needs its own F above 0");
            move.minutes = 1 / *feed;
        } else {
            if (feed_ <= 0) return Fail("a G1 move with no feed rate (F) set");
            move.minutes = distance / feed_;
        }
        position_ = to;
        moved_ = true;
        moved = true;
    }
    if (end) ended_ = true;
    return true;
}

}  // namespace vantorel
