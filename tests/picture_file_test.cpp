// Loading pictures from anywhere: every bitmap layout gives its true colours, and damaged,
// truncated or foreign files never crash, never take much memory and are refused with a
// reason whenever the decoder could not make every pixel from the file. The files come from
// scripts/make-bmp-corpus.py; valgrind checks the accepted ones pixel by pixel (picture_touch).

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "tests/test_files.h"
#include "io/picture_file.h"

namespace vantorel {
namespace {

using testing::TempFolder;

const std::string kCorpus = VANTOREL_BMP_CORPUS;

struct CorpusFile {
    std::string kind;  // "valid", "refuse" or "survive"
    std::string name;
    int width = 0, height = 0, tolerance = 0;
    std::vector<std::uint32_t> colours;  // valid: row by row, top row first
    std::string reason;                  // refuse: words the problem must contain

    std::string Path() const { return kCorpus + "/" + name; }
};

void PrintTo(const CorpusFile& file, std::ostream* out) { *out << file.name; }

std::vector<CorpusFile> Corpus(const std::string& kind = "") {
    std::vector<CorpusFile> files;
    std::ifstream manifest(kCorpus + "/manifest.txt");
    std::string line;
    while (std::getline(manifest, line)) {
        std::istringstream in(line);
        CorpusFile file;
        in >> file.kind >> file.name;
        if (file.kind == "valid") {
            std::string hexes;
            in >> file.width >> file.height >> file.tolerance >> hexes;
            std::istringstream list(hexes);
            for (std::string hex; std::getline(list, hex, ',');) {
                const auto rgb = static_cast<std::uint32_t>(std::stoul(hex, nullptr, 16));
                file.colours.push_back(Rgb(rgb >> 16, (rgb >> 8) & 0xff, rgb & 0xff));
            }
        } else if (file.kind == "refuse") {
            std::getline(in >> std::ws, file.reason);
        }
        if (kind.empty() || file.kind == kind) files.push_back(file);
    }
    return files;
}

std::string CaseName(const ::testing::TestParamInfo<CorpusFile>& info) {
    std::string name = info.param.name.substr(0, info.param.name.rfind('.'));
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

long PeakMemoryKb() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Loads a file and checks that doing so did not take much more memory than the file is big.
PictureLoad LoadSparingly(const std::string& path) {
    const long before = PeakMemoryKb();
    PictureLoad load = LoadPictureFile(path);
    EXPECT_LT(PeakMemoryKb() - before, 64 * 1024) << "peak memory grew by more than 64 MB";
    return load;
}

std::string ChannelText(std::uint32_t c) {
    return "(" + std::to_string(c & 0xff) + "," + std::to_string((c >> 8) & 0xff) + "," +
           std::to_string(c >> 16) + ")";
}

bool Near(std::uint32_t a, std::uint32_t b, int tolerance) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(static_cast<int>((a >> shift) & 0xff) - static_cast<int>((b >> shift) & 0xff)) >
            tolerance)
            return false;
    return true;
}

class ValidBitmap : public ::testing::TestWithParam<CorpusFile> {};

TEST_P(ValidBitmap, GivesTheColoursItHolds) {
    const CorpusFile& file = GetParam();
    const PictureLoad load = LoadPictureFile(file.Path());
    ASSERT_TRUE(load.picture) << load.problem;
    EXPECT_EQ(load.problem, "");
    ASSERT_EQ(load.picture->Width(), file.width);
    ASSERT_EQ(load.picture->Height(), file.height);
    for (int row = 0; row < file.height; ++row)
        for (int column = 0; column < file.width; ++column) {
            const std::uint32_t expected = file.colours[row * file.width + column];
            const std::uint32_t got = load.picture->Colour(column, row);
            EXPECT_TRUE(Near(got, expected, file.tolerance))
                << "pixel " << column << "," << row << ": " << ChannelText(got) << " instead of "
                << ChannelText(expected);
        }
}

INSTANTIATE_TEST_SUITE_P(Corpus, ValidBitmap, ::testing::ValuesIn(Corpus("valid")), CaseName);

class RefusedPicture : public ::testing::TestWithParam<CorpusFile> {};

TEST_P(RefusedPicture, IsRefusedWithItsReason) {
    const CorpusFile& file = GetParam();
    const PictureLoad load = LoadSparingly(file.Path());
    EXPECT_FALSE(load.picture) << "read as " << load.picture->Width() << " x "
                               << load.picture->Height();
    EXPECT_NE(load.problem.find(file.reason), std::string::npos)
        << "the reason given: \"" << load.problem << "\"";
}

INSTANTIATE_TEST_SUITE_P(Corpus, RefusedPicture, ::testing::ValuesIn(Corpus("refuse")), CaseName);

// Damage the decoder repairs on its own (a run that overshoots its row is clipped, a missing
// palette entry becomes black) may give a picture; valgrind proves its pixels are defined.
class DamagedPicture : public ::testing::TestWithParam<CorpusFile> {};

TEST_P(DamagedPicture, GivesAPictureOrAReason) {
    const PictureLoad load = LoadSparingly(GetParam().Path());
    if (load.picture) {
        EXPECT_EQ(load.problem, "");
        EXPECT_GT(load.picture->Width(), 0);
        EXPECT_GT(load.picture->Height(), 0);
    } else {
        EXPECT_NE(load.problem, "");
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, DamagedPicture, ::testing::ValuesIn(Corpus("survive")), CaseName);

TEST(PictureFile, BytesInMemoryLoadExactlyAsTheFile) {
    for (const CorpusFile& file : Corpus()) {
        SCOPED_TRACE(file.name);
        const std::string bytes = testing::ReadFile(file.Path());
        const PictureLoad fromFile = LoadPictureFile(file.Path());
        const PictureLoad fromBytes =
            LoadPictureBytes(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
        EXPECT_EQ(fromBytes.problem, fromFile.problem);
        ASSERT_EQ(!fromBytes.picture, !fromFile.picture);
        if (!fromFile.picture) continue;
        ASSERT_EQ(fromBytes.picture->Width(), fromFile.picture->Width());
        ASSERT_EQ(fromBytes.picture->Height(), fromFile.picture->Height());
        for (int row = 0; row < fromFile.picture->Height(); ++row)
            for (int column = 0; column < fromFile.picture->Width(); ++column)
                ASSERT_EQ(fromBytes.picture->Colour(column, row), fromFile.picture->Colour(column, row));
    }
}

// A bitmap cut anywhere before its last byte misses pixel data (or more), which the decoder
// would make up from stray memory: every cut of an uncompressed layout is refused.
TEST(PictureFile, UncompressedBitmapCutAnywhereIsRefused) {
    for (const char* name : {"1bit.bmp", "4bit.bmp", "8bit-short-palette.bmp", "16bit-555.bmp",
                             "16bit-565-bitfields.bmp", "24bit.bmp", "24bit-top-down.bmp",
                             "32bit.bmp", "os2-24bit.bmp", "os2-8bit.bmp", "v5-24bit.bmp"}) {
        const std::string bytes = testing::ReadFile(kCorpus + "/" + name);
        ASSERT_FALSE(bytes.empty()) << name;
        for (std::size_t size = 0; size < bytes.size(); ++size) {
            const PictureLoad load = LoadPictureBytes(QByteArray(bytes.data(), static_cast<qsizetype>(size)));
            EXPECT_FALSE(load.picture) << name << " cut to " << size << " bytes was read";
            EXPECT_NE(load.problem, "") << name << " cut to " << size << " bytes";
        }
    }
}

TEST(PictureFile, RunLengthBitmapCutAnywhereGivesAWholePictureOrAReason) {
    for (const char* name : {"8bit-rle8.bmp", "4bit-rle4.bmp"}) {
        const std::string bytes = testing::ReadFile(kCorpus + "/" + name);
        ASSERT_FALSE(bytes.empty()) << name;
        for (std::size_t size = 0; size < bytes.size(); ++size) {
            const PictureLoad load = LoadPictureBytes(QByteArray(bytes.data(), static_cast<qsizetype>(size)));
            if (load.picture) {
                EXPECT_EQ(load.picture->Width(), 5) << name << " cut to " << size;
                EXPECT_EQ(load.picture->Height(), 3) << name << " cut to " << size;
            } else {
                EXPECT_NE(load.problem, "") << name << " cut to " << size;
            }
        }
    }
}

// A pipe or a device named like a picture would be read for ever, or wait for a writer.
TEST(PictureFile, OnlyARegularFileIsRead) {
    TempFolder folder;
    ASSERT_EQ(::mkfifo((folder / "pipe.bmp").c_str(), 0600), 0);
    ASSERT_EQ(::mkdir((folder / "folder.bmp").c_str(), 0700), 0);
    const struct {
        std::string path;
        std::string problem;
    } cases[] = {
        {folder / "pipe.bmp", "it is not a regular file"},
        {folder / "folder.bmp", "it is not a regular file"},
        {"/dev/zero", "it is not a regular file"},
        {folder / "missing.bmp", "cannot open the picture file"},
    };
    for (const auto& c : cases) {
        const PictureLoad load = LoadPictureFile(c.path);
        EXPECT_FALSE(load.picture) << c.path;
        EXPECT_EQ(load.problem, c.problem) << c.path;
    }
}

TEST(PictureFile, CommandLineNamesThePictureAndTheReason) {
    TempFolder folder;
    const std::string picture = folder / "cut.bmp";
    testing::WriteFile(picture, testing::ReadFile(kCorpus + "/pixels-cut-short.bmp"));
    const std::string command = VANTOREL_BINARY_DIR "/cli/vantorel-cli -f nc '" + picture +
                                "' >/dev/null 2>'" + (folder / "err") + "' </dev/null";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(testing::ReadFile(folder / "err"),
              "Picture did not load: " + picture + ": the bitmap's pixel data is cut short\n");
    EXPECT_EQ(testing::FolderEntries(folder.Path()).size(), 2u) << "an output was written";
}

}  // namespace
}  // namespace vantorel
