#include "core/number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "core/run_error.h"
#include "tests/number_reference.h"

namespace vantorel {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct GeneralCase {
    double value;
    int precision;
    const char* text;
};

TEST(NumberText, GeneralForm) {
    const GeneralCase cases[] = {
        {0.0, 15, "0"},
        {-0.0, 15, "0"},
        {-0.5, 15, "-0.5"},
        {1.0 / 3.0, 15, "0.333333333333333"},
        {123456789012345.0, 15, "123456789012345"},
        {1e15, 15, "1E15"},
        {999999999999999.5, 15, "1E15"},  // rounding adds the sixteenth digit
        {0.0001, 15, "0.0001"},
        {0.00009999999999999995, 15, "0.0001"},
        {0.00001, 15, "1E-5"},
        {1.5e20, 15, "1.5E20"},
        {100.0 / 3.0, 15, "33.3333333333333"},
        {7.5, 15, "7.5"},
        {360.0, 15, "360"},
        {8.5, 15, "8.5"},
        {-1234.5, 15, "-1234.5"},
        {7.0 * std::cos(3.141592653589793 / 2), 15, "4.28626379701574E-16"},
        {-2.5e-300, 15, "-2.5E-300"},
        {1.7976931348623157e308, 15, "1.79769313486232E308"},
        {4.9406564584124654e-324, 15, "4.94065645841247E-324"},
        {0.125, 2, "0.13"},  // exact tie: away from zero
        {1.005, 3, "1"},     // the double lies below 1.005
        {2.675, 3, "2.67"},  // the double lies below 2.675
        {9999999999.0, 10, "9999999999"},
        {1e10, 10, "1E10"},  // eleven digits
        {1e11, 10, "1E11"},
        {95.0, 1, "1E2"},
        {0.96, 1, "1"},
        {0.95, 1, "0.9"},  // the double lies below 0.95
        {0.1, 17, "0.10000000000000001"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatGeneral(c.value, c.precision), c.text)
            << "value " << c.value << " precision " << c.precision;
}

struct FixedCase {
    double value;
    int decimals;
    int precision;
    const char* text;
};

TEST(NumberText, FixedForm) {
    const FixedCase cases[] = {
        // Toolpath words: 4 decimals for positions, 2 for feed rates.
        {10.0, 4, 15, "10.0000"},
        {-0.00004, 4, 15, "0.0000"},
        {-0.00005, 4, 15, "-0.0001"},
        {100.25, 2, 15, "100.25"},
        {100.125, 2, 15, "100.13"},
        {1.005, 2, 15, "1.00"},
        {0.125, 2, 15, "0.13"},
        {-0.0, 4, 15, "0.0000"},
        {0.0, 0, 15, "0"},
        {2.5, 0, 15, "3"},
        {-2.5, 0, 15, "-3"},
        {-0.4, 0, 15, "0"},
        {9.99995, 4, 15, "10.0000"},
        {123456789012345.6, 4, 15, "123456789012346.0000"},
        {999999999999999.5, 4, 15, "1E15"},  // sixteen integer digits after rounding
        {1234567890123456.0, 4, 15, "1.23456789012346E15"},
        {1e17, 2, 15, "1E17"},
        // Model files: 10 decimals at 10 significant digits.
        {7.5, 10, 10, "7.5000000000"},
        {-6.5, 10, 10, "-6.5000000000"},
        {1234.56789012345, 10, 10, "1234.5678900000"},
        {1.0 / std::sqrt(2.0), 10, 10, "0.7071067812"},
        {-0.00000000004, 10, 10, "0.0000000000"},
        {-0.00000000006, 10, 10, "-0.0000000001"},
        {12345.6789, 10, 10, "12345.6789000000"},
        {0.000123456789, 10, 10, "0.0001234568"},
        {100.0, 10, 10, "100.0000000000"},
        {-1e-15, 10, 10, "0.0000000000"},
        {9999999999.5, 10, 10, "1E10"},
        {12345678901.0, 10, 10, "1.23456789E10"},  // general form at 10 digits
        {123456789012.0, 10, 10, "1.23456789E11"},
        // More decimals than digits: leading zeros do not count as significant.
        {0.000123456789, 18, 5, "0.000123460000000000"},
        {1.0 / 3.0, 18, 17, "0.333333333333333310"},
        {3e-19, 18, 17, "0.000000000000000000"},
        {5e-19, 18, 17, "0.000000000000000001"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFixed(c.value, c.decimals, c.precision), c.text)
            << "value " << c.value << " decimals " << c.decimals << " precision " << c.precision;
}

TEST(NumberText, ArgumentsAreClamped) {
    EXPECT_EQ(FormatFixed(2.5, -3, 15), "3");
    EXPECT_EQ(FormatFixed(0.1, 40, 40), "0.100000000000000010");
    EXPECT_EQ(FormatGeneral(0.1, 40), "0.10000000000000001");
    EXPECT_EQ(FormatGeneral(123.0, 0), "1E2");
}

TEST(NumberText, NonFiniteValuesStopTheRun) {
    char buffer[kMaxNumberText];
    for (double v : {kInf, -kInf, kNaN}) {
        EXPECT_THROW(FormatGeneral(v), RunError);
        EXPECT_THROW(FormatFixed(v, 4), RunError);
        EXPECT_THROW(WriteGeneral(buffer, v), RunError);
        EXPECT_THROW(WriteFixed(buffer, v, 10, 10), RunError);
    }
}

struct ParseCase {
    std::string text;
    double fallback;
    double value;
};

TEST(NumberText, ParseNumber) {
    const std::string zeros(100000, '0');
    const ParseCase cases[] = {
        {"", 7.0, 7.0},
        {"12.5", 0, 12.5},
        {" 5 ", 0, 5.0},
        {"+5", 0, 5.0},
        {"-7.25e2", 0, -725.0},
        {"1E-2", 0, 0.01},
        {"5.", 0, 5.0},
        {".5", 0, 0.5},
        {".", 9, 0.0},
        {"-.", 9, -0.0},
        {"1e", 9, 1.0},
        {"1e+", 9, 1.0},
        {"0.1", 0, 0.1},
        {"2.2250738585072011e-308", 0, 2.2250738585072011e-308},
        {"1e-400", 9, 0.0},
        {"-1e-400", 9, -0.0},
        {"1e999", 9, 9.0},
        {"-1e999", 9, 9.0},
        {"1e99999999999999999999999", 9, 9.0},
        {"1e-99999999999999999999999", 9, 0.0},
        {"0e999999", 9, 0.0},
        // Second reading after dropping foreign characters.
        {"12,5", 0, 125.0},
        {"7.5 mm", 0, 7.5},
        {"1 000", 0, 1000.0},
        {"\t7.5\r\n", 0, 7.5},
        {"7.5\xc2\xb0", 0, 7.5},
        {std::string("4\0", 2), 0, 4.0},
        {"- 5", 0, -5.0},
        // Unreadable: the default.
        {"360 degrees", 3, 3.0},
        {"--5", 3, 3.0},
        {"e5", 3, 3.0},
        {"+", 3, 3.0},
        {"1.2.3", 3, 3.0},
        {"abc", 3, 3.0},
        {"nan", 3, 3.0},
        {"inf", 3, 3.0},
        {"-infinity", 3, 3.0},
        {"0x10", 3, 10.0},
        {"\xff\xfe", 3, 3.0},
        // Long texts read in full.
        {"0." + zeros + "1e100001", 0, 1.0},
        {"1" + zeros + "e-100000", 0, 1.0},
        {std::string(100000, '9'), 3, 3.0},
        {std::string(100000, '\x01'), 3, 3.0},
    };
    for (const auto& c : cases) {
        const double v = ParseNumber(c.text, c.fallback);
        // Bit equality also tells the zeros apart.
        EXPECT_EQ(std::bit_cast<std::uint64_t>(v), std::bit_cast<std::uint64_t>(c.value))
            << "text \"" << c.text.substr(0, 40) << "\" gave " << v;
    }
}

// Compares the fast forms with the reference for every value in `values`, in all the forms
// the program writes and in extreme combinations of decimals and precision.
void ExpectSameAsReference(const std::vector<double>& values) {
    struct Form {
        int decimals;  // < 0: the general form
        int precision;
    };
    static constexpr Form kForms[] = {{4, 15},  {2, 15}, {10, 10}, {0, 15},  {18, 17},
                                      {6, 3},   {18, 1}, {1, 17},  {-1, 15}, {-1, 10},
                                      {-1, 17}, {-1, 1}, {-1, 6}};
    int failures = 0;
    for (double v : values) {
        const reference::ExactValue exact = reference::Exact(v);
        for (const Form& f : kForms) {
            const bool general = f.decimals < 0;
            const std::string expected =
                general ? reference::ReferenceGeneral(exact, f.precision)
                        : reference::ReferenceFixed(exact, f.decimals, f.precision);
            const std::string actual =
                general ? FormatGeneral(v, f.precision) : FormatFixed(v, f.decimals, f.precision);
            if (actual == expected) continue;
            char hex[40];
            std::snprintf(hex, sizeof hex, "%a", v);
            ADD_FAILURE() << hex << " (" << exact.digits.substr(0, 25) << "e" << exact.exponent
                          << ") decimals " << f.decimals << " precision " << f.precision << ": got "
                          << actual << ", expected " << expected;
            if (++failures == 20) return;
        }
        // The unit-normal path, which gives every value the text of the {10, 10} form.
        char text[kMaxNumberText];
        const std::string unit(text, WriteFixed10Unit(text, v));
        if (unit != reference::ReferenceFixed(exact, 10, 10)) {
            ADD_FAILURE() << "WriteFixed10Unit(" << std::hexfloat << v << ") gave " << unit;
            if (++failures == 20) return;
        }
    }
}

// Adds `v` and its neighbours up to `ulps` steps away on either side, both signs.
void AddWithNeighbours(std::vector<double>& out, double v, int ulps) {
    double up = v;
    double down = v;
    for (int i = 0; i <= ulps; ++i) {
        for (double x : {up, down}) {
            out.push_back(x);
            out.push_back(-x);
        }
        up = std::nextafter(up, kInf);
        down = std::nextafter(down, 0.0);
    }
}

double Parsed(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

TEST(NumberTextAgainstReference, RandomBitPatterns) {
    std::mt19937_64 random(1);
    std::vector<double> values;
    while (values.size() < 400000) {
        const double v = std::bit_cast<double>(random());
        if (std::isfinite(v)) values.push_back(v);
    }
    ExpectSameAsReference(values);
}

TEST(NumberTextAgainstReference, TypicalMagnitudes) {
    std::mt19937_64 random(2);
    std::uniform_real_distribution<double> coordinate(-1000.0, 1000.0);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_real_distribution<double> decade(-20.0, 17.0);
    std::uniform_real_distribution<double> angle(0.0, 2 * 3.141592653589793);
    std::vector<double> values;
    for (int i = 0; i < 150000; ++i) {
        values.push_back(coordinate(random));
        values.push_back(unit(random));
        values.push_back(std::copysign(std::pow(10.0, decade(random)), unit(random)));
        const double radius = 50.0 * (unit(random) + 1.0);
        values.push_back(radius * std::cos(angle(random)));
        // Grid angles: cos(pi/2) x R and friends are tiny but not zero.
        values.push_back(radius * std::cos((random() % 64) * (3.141592653589793 / 32)));
    }
    ExpectSameAsReference(values);
}

TEST(NumberTextAgainstReference, ExactTies) {
    // j / 2^m has exactly m decimals ending in 5: a tie one place earlier. Scaled up by a
    // power of two it also makes ties at the significant-digit limit.
    std::mt19937_64 random(3);
    std::vector<double> values;
    for (int m = 1; m <= 40; ++m) {
        for (int i = 0; i < 6000; ++i) {
            const std::uint64_t j = (random() >> (random() % 64)) | 1;
            values.push_back(
                std::ldexp(static_cast<double>(j & ((std::uint64_t{1} << 53) - 1)), -m));
            // The same below 1, where m = 11 is a tie at the tenth decimal.
            values.push_back(std::ldexp(static_cast<double>(j & ((std::uint64_t{1} << m) - 1)), -m));
        }
    }
    // Whole numbers ending in 5 or 50 with 16 and 17 digits: ties at 15 and 16 digits.
    for (int i = 0; i < 40000; ++i) {
        const std::uint64_t base = random() % 900000000000000 + 100000000000000;
        values.push_back(static_cast<double>(base * 10 + 5));
        values.push_back(static_cast<double>(base * 100 + 50));
        values.push_back(static_cast<double>(base % 100000 * 10 + 5) / 1000.0);
    }
    for (std::size_t i = 0, n = values.size(); i < n; ++i) values.push_back(-values[i]);
    ExpectSameAsReference(values);
}

TEST(NumberTextAgainstReference, PowersOfTenAndRunsOfNines) {
    std::vector<double> values;
    for (int k = -40; k <= 40; ++k) {
        const std::string e = "e" + std::to_string(k);
        AddWithNeighbours(values, Parsed("1" + e), 4);
        AddWithNeighbours(values, Parsed("5" + e), 4);
        AddWithNeighbours(values, Parsed("2.5" + e), 2);
        for (int nines = 1; nines <= 19; ++nines) {
            const std::string run(static_cast<std::size_t>(nines), '9');
            for (const char* tail : {"", "4", "5", "6", "49999", "50001"})
                AddWithNeighbours(values, Parsed("0." + run + tail + e), 2);
        }
    }
    // Just below and above the limits of fixed notation and of the integer digits.
    for (double limit : {1e10, 1e15, 1e16, 1e17, 1e18, 1e4, 1e-4, 1e-5}) {
        AddWithNeighbours(values, limit, 8);
        for (double offset : {0.5, 0.05, 0.005, 5e-5, 5e-11})
            AddWithNeighbours(values, limit - limit * offset * 1e-10, 3);
    }
    ExpectSameAsReference(values);
}

TEST(NumberTextAgainstReference, TinyHugeAndSubnormal) {
    std::mt19937_64 random(4);
    std::vector<double> values = {0.0,
                                  -0.0,
                                  std::numeric_limits<double>::min(),
                                  std::numeric_limits<double>::max(),
                                  -std::numeric_limits<double>::max(),
                                  std::numeric_limits<double>::denorm_min(),
                                  -std::numeric_limits<double>::denorm_min(),
                                  std::nextafter(std::numeric_limits<double>::min(), 0.0)};
    for (int i = 0; i < 30000; ++i) {
        // Subnormals, then magnitudes at the edges of the fast ranges.
        values.push_back(std::bit_cast<double>(random() >> 12));
        values.push_back(std::bit_cast<double>(random() >> (12 + random() % 52)));
        values.push_back(
            std::ldexp(static_cast<double>(random() >> 11), -100 - int(random() % 80)));
        values.push_back(std::ldexp(static_cast<double>(random() >> 11), 40 + int(random() % 100)));
        values.push_back(std::ldexp(static_cast<double>(random() >> 11), -60 - int(random() % 20)));
    }
    ExpectSameAsReference(values);
}

}  // namespace
}  // namespace vantorel
