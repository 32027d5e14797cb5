#include <gtest/gtest.h>

#include "core/file_names.h"

namespace vantorel {
namespace {

TEST(FileNames, ExtensionFolderAndName) {
    struct Case {
        const char* path;
        const char* extension;
        const char* folder;
        const char* name;
        const char* asNc;
    } cases[] = {
        {"C:\\jobs\\vase Vantorel.dxf", ".dxf", "C:\\jobs\\", "vase Vantorel.dxf", "C:\\jobs\\vase Vantorel.nc"},
        {"C:\\jobs.old\\vase", "", "C:\\jobs.old\\", "vase", "C:\\jobs.old\\vase.nc"},
        {"/home/me/jobs.old/vase", "", "/home/me/jobs.old/", "vase", "/home/me/jobs.old/vase.nc"},
        {"/home/me/face.BMP", ".BMP", "/home/me/", "face.BMP", "/home/me/face.nc"},
        {"face.tar.bmp", ".bmp", "", "face.tar.bmp", "face.tar.nc"},
        {"C:face", "", "C:", "face", "C:face.nc"},
        {"facebmp", "", "", "facebmp", "facebmp.nc"},
        {"dir/.hidden", ".hidden", "dir/", ".hidden", "dir/.nc"},
        {"", "", "", "", ".nc"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExtractFileExt(c.path), c.extension) << c.path;
        EXPECT_EQ(ExtractFilePath(c.path), c.folder) << c.path;
        EXPECT_EQ(ExtractFileName(c.path), c.name) << c.path;
        EXPECT_EQ(ChangeFileExt(c.path, ".nc"), c.asNc) << c.path;
    }
    EXPECT_EQ(ChangeFileExt("/pics/face.bmp", " Vantorel.dxf"), "/pics/face Vantorel.dxf");
}

}  // namespace
}  // namespace vantorel
