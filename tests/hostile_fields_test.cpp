// Field texts from anywhere: whatever is typed into a numeric field, a run either completes
// with nothing but finite numbers in its file, or fails with a floating-point error and
// writes nothing. Runs are made in memory, for all four formats.

#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "core/conversion_run.h"
#include "core/number_text.h"
#include "core/run_error.h"
#include "tests/fake_host.h"
#include "writers/formats.h"

namespace vantorel {
namespace {

using testing::MemoryHost;

ColourTable Relief() {
    ColourTable picture(4, 3);
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 4; ++i) picture.SetColour(i, j, Rgb(40 * i, 70 * j, 10));
    return picture;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// What a finished run must have left: a committed file without a non-number in it, or an
// error of the floating-point kind and no file; or the validation chain's refusal.
void ExpectDefinedOutcome(RunOutcome outcome, const MemoryHost& host) {
    switch (outcome) {
        case RunOutcome::Completed: {
            ASSERT_TRUE(host.output && host.output->IsCommitted());
            const std::string text = Lower(host.output->Bytes());
            EXPECT_EQ(text.find("nan"), std::string::npos);
            EXPECT_EQ(text.find("inf"), std::string::npos);
            break;
        }
        case RunOutcome::Failed: {
            const std::string& last = host.events.back();
            EXPECT_TRUE(last == std::string("error:") + kFloatingOverflow ||
                        last == std::string("error:") + kDivisionByZero)
                << last;
            EXPECT_FALSE(host.output && host.output->IsCommitted());
            break;
        }
        case RunOutcome::Aborted:
            EXPECT_TRUE(host.events.front().starts_with("warning:")) << host.events.front();
            EXPECT_FALSE(host.output);
            break;
    }
}

const std::vector<std::string>& HostileTexts() {
    static const std::vector<std::string> texts = {
        "nan", "NaN", "-nan", "nan(123)", "inf", "-inf", "Infinity", "INF",
        "1e999", "-1e999", "1e-400", "-1e-400", "1e99999999999999999999", "1e-99999999999999999999",
        "1.7976931348623157e308", "-1.7976931348623157e308", "1.8e308", "4.9e-324", "1e308",
        "-1e308", "2.2250738585072011e-308", "0x1p10", "1e", "1e+", "--5", "+-", ".", "-.", "e5",
        "1.2.3", "1e5e5", "++1",
        std::string(100000, '9'),                                 // beyond any double
        "0." + std::string(100000, '0') + "1",                    // below any double
        "1" + std::string(400, '0') + "e-400",                    // long, yet only 1
        std::string(1 << 20, 'x'),                                // a megabyte of junk
        std::string("1\0" "5", 3), "\x01\x02\x7f 12", "\t5\r\n", "7\b", "\x1b[31m3\x1b[0m",
        "\xd9\xa1\xd9\xa2",                                       // Arabic-Indic 12
        "\xef\xbc\x91\xef\xbc\x92\xef\xbc\x93",                   // full-width 123
        "\xd9\xa3\xd9\xab\xd9\xa5",                               // 3.5, Arabic-Indic
        "\xc2\xb2", "\xc2\xbd",                                   // superscript 2, one half
        "12\xc2\xa0" "5", "\xe2\x80\x8b" "1", "\xe2\x88\x92" "5", // no-break space, zero width, minus sign
        "\xff\xfe\xfd", "\xc0\xaf",                               // not UTF-8 at all
    };
    return texts;
}

const Field kNumericFields[] = {Field::LeftX,       Field::WrapAngle, Field::ImageLength,
                                Field::WorkSurface, Field::DepthofCut, Field::Feedrate,
                                Field::Clearance};

const OutputFormat* const kFormats[] = {&DxfFormat(), &StlFormat(), &ObjFormat(), &NcFormat()};

TEST(HostileFields, ParseNumberAlwaysGivesAFiniteNumber) {
    for (const std::string& text : HostileTexts()) {
        const double value = ParseNumber(text, 7.5);
        EXPECT_TRUE(std::isfinite(value)) << "\"" << text.substr(0, 60) << "\" read as " << value;
    }
}

TEST(HostileFields, DefaultRunsWriteOnlyNumbers) {
    const ColourTable picture = Relief();
    for (const OutputFormat* format : kFormats) {
        MemoryHost host(picture);
        ASSERT_EQ(ConversionRun(host, *format), RunOutcome::Completed) << format->name;
        const std::string text = Lower(host.output->Bytes());
        EXPECT_EQ(text.find("nan"), std::string::npos) << format->name;
        EXPECT_EQ(text.find("inf"), std::string::npos) << format->name;
    }
}

TEST(HostileFields, AnyTextInAnyNumericFieldGivesADefinedOutcome) {
    const ColourTable picture = Relief();
    for (const OutputFormat* format : kFormats)
        for (Field field : kNumericFields)
            for (const std::string& text : HostileTexts()) {
                SCOPED_TRACE(std::string(format->name) + ", field " +
                             std::to_string(static_cast<int>(field)) + ": \"" +
                             text.substr(0, 40) + "\"");
                MemoryHost host(picture);
                host.Set(field, text);
                ExpectDefinedOutcome(ConversionRun(host, *format), host);
            }
}

// Values that are numbers, yet whose products and sums leave the range of a double, must be
// caught rather than written as infinities.
TEST(HostileFields, ValuesThatOverflowEndTheRunWithoutAFile) {
    struct Case {
        std::vector<std::pair<Field, std::string>> fields;
        std::vector<const OutputFormat*> formats;
    };
    const std::vector<Case> cases = {
        // The last column lies at LeftX + ImageLength.
        {{{Field::LeftX, "1e308"}, {Field::ImageLength, "1e308"}},
         {&DxfFormat(), &StlFormat(), &ObjFormat(), &NcFormat()}},
        // The radius of a pixel is WorkSurface - depth.
        {{{Field::WorkSurface, "1e308"}, {Field::DepthofCut, "-1e308"}},
         {&DxfFormat(), &StlFormat(), &ObjFormat(), &NcFormat()}},
        // pi x WrapAngle in radians.
        {{{Field::WrapAngle, "1.7e308"}}, {&DxfFormat(), &StlFormat(), &ObjFormat()}},
    };
    const ColourTable picture = Relief();
    for (const Case& c : cases)
        for (const OutputFormat* format : c.formats) {
            SCOPED_TRACE(std::string(format->name) + ", " + c.fields.front().second);
            MemoryHost host(picture);
            for (const auto& [field, text] : c.fields) host.Set(field, text);
            EXPECT_EQ(ConversionRun(host, *format), RunOutcome::Failed);
            EXPECT_EQ(host.events.back(), std::string("error:") + kFloatingOverflow);
            EXPECT_FALSE(host.output && host.output->IsCommitted());
        }
}

// The free G-code lines are copied as typed, however long or odd (line breaks are refused
// where they are typed).
TEST(HostileFields, HeaderAndFooterAreCopiedAsTyped) {
    const ColourTable picture = Relief();
    for (const std::string& text :
         {std::string(1 << 20, 'G'), std::string("\x01\x7f\t(\xff)"), std::string("nan inf")}) {
        MemoryHost host(picture);
        host.Set(Field::Header, text);
        host.Set(Field::Footer, text);
        ASSERT_EQ(ConversionRun(host, NcFormat()), RunOutcome::Completed);
        const std::string& bytes = host.output->Bytes();
        EXPECT_NE(bytes.find("\r\n" + text + "\r\n"), std::string::npos);
        EXPECT_TRUE(bytes.ends_with("\r\n" + text + "\r\n"));
    }
}

}  // namespace
}  // namespace vantorel
