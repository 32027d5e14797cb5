// Picture files as the program decodes them: never a crash, a hang or a huge allocation;
// either a reason, or a picture whose every pixel can be read.

#include <QtGlobal>
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_check.h"
#include "io/picture_file.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The decoder's warnings about damaged files would drown the fuzzer's own output.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const vantorel::PictureLoad load = vantorel::LoadPictureBytes(bytes);
    if (!load.picture) {
        FUZZ_CHECK(!load.problem.empty(), "refused without a reason");
        return 0;
    }
    const vantorel::Picture& picture = *load.picture;
    FUZZ_CHECK(load.problem.empty(), "a picture and a problem: %s", load.problem.c_str());
    FUZZ_CHECK(picture.Width() > 0 && picture.Height() > 0, "%d x %d", picture.Width(),
               picture.Height());
    FUZZ_CHECK(std::int64_t{picture.Width()} * picture.Height() * 4 <=
                   std::int64_t{vantorel::kPictureAllocationLimitMb} << 20,
               "%d x %d is over the limit", picture.Width(), picture.Height());
    std::uint32_t all = 0;
    for (int row = 0; row < picture.Height(); ++row)
        for (int column = 0; column < picture.Width(); ++column)
            all |= picture.Colour(column, row);
    FUZZ_CHECK(all <= 0xffffffu, "a colour beyond 24 bits: %x", all);
    return 0;
}
