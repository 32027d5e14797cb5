// Loads every .bmp file of a folder as the program does and branches on every pixel of each
// picture it accepts, so a memory checker reports any pixel the decoder left undefined.
//     picture_touch FOLDER

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "io/picture_file.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: picture_touch FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() > 4 && name.ends_with(".bmp")) names.push_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    if (names.empty()) {
        std::fprintf(stderr, "no .bmp files in %s\n", folder.c_str());
        return 2;
    }

    int status = 0;
    for (const std::string& name : names) {
        const vantorel::PictureLoad load = vantorel::LoadPictureFile(folder + "/" + name);
        if (!load.picture) {
            std::printf("%s: refused: %s\n", name.c_str(), load.problem.c_str());
            continue;
        }
        const vantorel::Picture& picture = *load.picture;
        if (picture.Width() <= 0 || picture.Height() <= 0) {
            std::printf("%s: accepted with no pixels\n", name.c_str());
            status = 1;
            continue;
        }
        long bright = 0;
        for (int row = 0; row < picture.Height(); ++row)
            for (int column = 0; column < picture.Width(); ++column)
                if (picture.Colour(column, row) > 0x7fffffu) ++bright;  // a branch on each pixel
        std::printf("%s: %d x %d, %ld bright\n", name.c_str(), picture.Width(), picture.Height(),
                    bright);
    }
    return status;
}
