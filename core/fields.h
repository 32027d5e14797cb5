#pragma once

#include <string>
#include <string_view>

namespace vantorel {

// The window's fields, numbered as the window numbers its edits.
enum class Field {
    PicturePath = 1,  // Edit1
    OutputName,       // Edit2
    LeftX,            // Edit3
    WrapAngle,        // Edit4
    ImageLength,      // Edit5
    WorkSurface,      // Edit6
    DepthofCut,       // Edit7
    Feedrate,         // Edit8
    Clearance,        // Edit9
    Header,           // Edit10
    Footer,           // Edit11
};

// A field's text on a first start, before any settings file is read, and the number a run
// reads from it when its text holds no number.
struct FieldDefault {
    std::string_view text;
    double value;
};

constexpr FieldDefault DefaultOf(Field field) {
    switch (field) {
        case Field::LeftX: return {"0.0", 0};
        case Field::WrapAngle: return {"360", 360};
        case Field::ImageLength: return {"100.0", 100};
        case Field::WorkSurface: return {"7.5", 7.5};
        case Field::DepthofCut: return {"1.0", 1};
        case Field::Feedrate: return {"200", 200};
        case Field::Clearance: return {"10", 10};
        case Field::Footer: return {"M2", 0};
        case Field::PicturePath:
        case Field::OutputName:
        case Field::Header: break;
    }
    return {"", 0};
}

inline std::string DefaultFieldText(Field field) { return std::string(DefaultOf(field).text); }

// The output name proposed for a picture: its name with the extension changed to this.
inline constexpr std::string_view kOutputNameSuffix = " Vantorel.dxf";

// The line every file we write opens with names the program, each in its own comment form.
inline constexpr std::string_view kProducedBy = "Produced by the Quennock Vantorel Program";

}  // namespace vantorel
